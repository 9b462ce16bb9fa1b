#include "export/ClipExport.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include "analysis/DayReader.h"
#include "codecs/FFmpegHandles.h"
#include "export/AudioTrack.h"
#include "export/CardLabels.h"
#include "export/ChannelStream.h"
#include "export/H264Util.h"
#include "export/MuxHandles.h"
#include "export/StagedFile.h"

namespace exporting {

namespace {

constexpr AVRational kMs = {1, 1000};

enum class Outcome { Written, NoVideo, Failed, Cancelled };

// The recorder's clock as MP4 metadata: ISO 8601 without a zone.
std::string isoTime(int dayDate, std::int64_t ms) {
    std::string t = formatDayTime(dayDate, ms);
    t[10] = 'T';
    return t;
}

class ClipWriter {
public:
    ClipWriter(const ExportRange& range, int dayDate, int channel, const CardLabels& labels,
               StagedFile* out)
        : range_(range), dayDate_(dayDate), channel_(channel), labels_(labels), out_(out) {}

    Outcome run(const ExportControl& control, ProgressThrottle* progress, double base,
                double share, std::string* error);

private:
    bool start(const ChannelStream& stream, std::string* error);
    bool writeVideo(const ChannelStream::Video& v, std::string* error);
    bool flushHeld(std::int64_t durationMs, std::string* error);

    const ExportRange& range_;
    int dayDate_;
    int channel_;
    const CardLabels& labels_;
    StagedFile* out_;
    OutputContextPtr mux_;
    AVStream* video_ = nullptr;
    AudioTrack audio_;
    bool hasAudio_ = false;
    std::int64_t originMs_ = 0;
    korvel::ffmpeg::PacketPtr held_{av_packet_alloc()};
    bool haveHeld_ = false;
    std::int64_t heldMs_ = -1;      // output time of the held picture
    std::int64_t intervalMs_ = 0;   // between the last two pictures
};

bool ClipWriter::start(const ChannelStream& stream, std::string* error) {
    const ChannelStream::Video& first = stream.video();
    const std::string title = labels_.titleOf(channel_, first.title);
    const std::vector<std::uint8_t> sets = annexBParameterSets(first.data, first.size);
    if (sets.empty()) {
        *error = title + ": the recording's first key frame carries no H.264 stream parameters";
        return false;
    }
    int width = first.width;
    int height = first.height;
    decodedPictureSize(first.data, first.size, &width, &height);
    if (width <= 0 || height <= 0) {
        *error = title + ": the recording's pictures do not decode";
        return false;
    }
    if (!out_->create(error) || !openMp4(out_->tempPath(), out_->finalPath(), &mux_, error)) {
        return false;
    }
    originMs_ = first.ms;
    video_ = avformat_new_stream(mux_.get(), nullptr);
    if (video_ == nullptr || !held_) {
        *error = "Out of memory for the video stream";
        return false;
    }
    AVCodecParameters* par = video_->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_H264;
    par->width = width;
    par->height = height;
    par->extradata =
        static_cast<std::uint8_t*>(av_mallocz(sets.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (par->extradata == nullptr) {
        *error = "Out of memory for the video stream";
        return false;
    }
    std::memcpy(par->extradata, sets.data(), sets.size());
    par->extradata_size = static_cast<int>(sets.size());
    video_->time_base = kMs;

    const VORTA::AudioCodecParams audio = stream.audioFormat();
    if (AudioTrack::canDecode(audio.codecKind) && audio.sampleRate > 0) {
        if (!audio_.open(mux_.get(), audio.sampleRate, originMs_, range_.toMs, out_->finalPath(),
                         error)) {
            return false;
        }
        hasAudio_ = true;
    }

    const std::string when = formatDayTime(dayDate_, originMs_);
    const std::string until = formatDayTime(dayDate_, range_.toMs).substr(11);
    AVDictionary** meta = &mux_->metadata;
    av_dict_set(meta, "creation_time", isoTime(dayDate_, originMs_).c_str(), 0);
    av_dict_set(meta, "title", (title + " " + when).c_str(), 0);
    std::string comment = labels_.vehicleNumber.empty() ? std::string()
                                                        : "Vehicle " + labels_.vehicleNumber + ", ";
    comment += "CH" + std::to_string(channel_ + 1) + " (" + title + "), " + when + " to " + until;
    av_dict_set(meta, "comment", comment.c_str(), 0);
    if (!labels_.vehicleNumber.empty()) {
        av_dict_set(meta, "vehicle_number", labels_.vehicleNumber.c_str(), 0);
    }
    av_dict_set(meta, "channel", std::to_string(channel_ + 1).c_str(), 0);
    av_dict_set(meta, "channel_title", title.c_str(), 0);

    Dictionary options;
    options.set("movflags", "+faststart+use_metadata_tags");
    const int rc = avformat_write_header(mux_.get(), options.address());
    if (rc < 0) {
        *error = StagedFile::writeError(out_->finalPath(), ffmpegError(rc));
        return false;
    }
    return true;
}

bool ClipWriter::flushHeld(std::int64_t durationMs, std::string* error) {
    if (!haveHeld_) {
        return true;
    }
    held_->duration = av_rescale_q(std::max<std::int64_t>(durationMs, 1), kMs, video_->time_base);
    held_->stream_index = video_->index;
    haveHeld_ = false;
    const int rc = av_interleaved_write_frame(mux_.get(), held_.get());
    if (rc < 0) {
        *error = StagedFile::writeError(out_->finalPath(), ffmpegError(rc));
        return false;
    }
    return true;
}

bool ClipWriter::writeVideo(const ChannelStream::Video& v, std::string* error) {
    // Time stamps must rise: a picture stamped like the one before it (or
    // earlier, after a clock step) follows it by a millisecond.
    std::int64_t t = v.ms - originMs_;
    if (t <= heldMs_) {
        t = heldMs_ + 1;
    }
    if (heldMs_ >= 0) {
        intervalMs_ = t - heldMs_;
        if (!flushHeld(intervalMs_, error)) {
            return false;
        }
    }
    av_packet_unref(held_.get());
    if (av_new_packet(held_.get(), v.size) < 0) {
        *error = "Out of memory for a picture";
        return false;
    }
    std::memcpy(held_->data, v.data, static_cast<std::size_t>(v.size));
    held_->pts = held_->dts = av_rescale_q(t, kMs, video_->time_base);
    held_->flags = v.key ? AV_PKT_FLAG_KEY : 0;
    heldMs_ = t;
    haveHeld_ = true;
    return true;
}

Outcome ClipWriter::run(const ExportControl& control, ProgressThrottle* progress, double base,
                        double share, std::string* error) {
    ChannelStream stream(range_.dayFolder, channel_);
    if (!stream.open(range_.fromMs, range_.toMs) ||
        stream.next() != ChannelStream::Item::Video) {
        return Outcome::NoVideo;
    }
    if (!start(stream, error) || !writeVideo(stream.video(), error)) {
        return Outcome::Failed;
    }
    const double span = static_cast<double>(std::max<std::int64_t>(1, range_.toMs - originMs_));
    for (ChannelStream::Item item = stream.next(); item != ChannelStream::Item::End;
         item = stream.next()) {
        if (control.cancelled()) {
            return Outcome::Cancelled;
        }
        if (item == ChannelStream::Item::Video) {
            if (!writeVideo(stream.video(), error)) {
                return Outcome::Failed;
            }
            progress->report(base + share * static_cast<double>(heldMs_) / span);
        } else if (hasAudio_ && !audio_.add(stream.audio(), stream.audioMs(), error)) {
            return Outcome::Failed;
        }
    }
    // The last picture lasts as long as the one before it, within the range.
    const std::int64_t rest = range_.toMs - originMs_ - heldMs_;
    const std::int64_t last = intervalMs_ > 0 ? std::min(intervalMs_, std::max<std::int64_t>(rest, 1))
                                              : std::max<std::int64_t>(rest, 1);
    if (!flushHeld(last, error) || (hasAudio_ && !audio_.finish(error))) {
        return Outcome::Failed;
    }
    int rc = av_write_trailer(mux_.get());
    if (rc >= 0) {
        rc = avio_closep(&mux_->pb);
    }
    if (rc < 0) {
        *error = StagedFile::writeError(out_->finalPath(), ffmpegError(rc));
        return Outcome::Failed;
    }
    return Outcome::Written;
}

}  // namespace

std::string clipFileName(int dayDate, std::int64_t fromMs, std::int64_t toMs, int channel) {
    return std::to_string(dayDate) + "_" + compactClock(fromMs) + "-" + compactClock(toMs) +
           "_CH" + std::to_string(channel + 1) + ".mp4";
}

ExportResult exportClips(const ClipRequest& request, const ExportControl& control) {
    int dayDate = 0;
    std::string error;
    if (!checkRange(request.range, &dayDate, &error)) {
        return ExportResult::failed(error);
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(request.outFolder, ec)) {
        return ExportResult::failed("Not a folder: " + request.outFolder);
    }
    ExportRange range = request.range;
    if (range.channels.empty()) {
        range.channels = channelsOfDay(range.dayFolder);
    }
    const CardLabels labels = readCardLabels(analysis::cardRootOf(range.dayFolder));
    ProgressThrottle progress(control);
    progress.report(0.0);

    std::vector<std::unique_ptr<StagedFile>> files;
    ExportResult result;
    const double share = 1.0 / static_cast<double>(std::max<std::size_t>(1, range.channels.size()));
    for (std::size_t i = 0; i < range.channels.size(); ++i) {
        if (control.cancelled()) {
            return ExportResult::cancelled();
        }
        if (i > 0) {
            progress.report(static_cast<double>(i) * share, true);
            if (control.cancelled()) {
                return ExportResult::cancelled();
            }
        }
        const int channel = range.channels[i];
        std::string folder = request.outFolder;
        if (folder.empty() || folder.back() != '/') {
            folder += '/';
        }
        auto file = std::make_unique<StagedFile>(
            folder + clipFileName(dayDate, range.fromMs, range.toMs, channel));
        ClipWriter writer(range, dayDate, channel, labels, file.get());
        switch (writer.run(control, &progress, static_cast<double>(i) * share, share, &error)) {
            case Outcome::Written:
                files.push_back(std::move(file));
                break;
            case Outcome::NoVideo:
                result.notes.push_back(labels.titleOf(channel) + ": no recording in this range");
                break;
            case Outcome::Cancelled:
                return ExportResult::cancelled();
            case Outcome::Failed:
                return ExportResult::failed(error);
        }
    }
    if (files.empty()) {
        return ExportResult::failed("No recording between " +
                                    formatDayTime(dayDate, range.fromMs) + " and " +
                                    formatDayTime(dayDate, range.toMs).substr(11) +
                                    " on the chosen channels");
    }
    std::vector<StagedFile*> staged;
    for (const auto& f : files) {
        staged.push_back(f.get());
    }
    if (!commitAll(staged, &error)) {
        return ExportResult::failed(error);
    }
    progress.report(1.0);
    result.status = Status::Ok;
    for (const auto& f : files) {
        result.files.push_back(f->finalPath());
    }
    return result;
}

}  // namespace exporting
