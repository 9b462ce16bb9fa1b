#include "export/EvidenceExport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <QImage>

#include "analysis/DayReader.h"
#include "codecs/FFmpegHandles.h"
#include "export/AudioTrack.h"
#include "export/CardLabels.h"
#include "export/ChannelStream.h"
#include "export/MuxHandles.h"
#include "export/StagedFile.h"

namespace exporting {

namespace {

namespace ff = korvel::ffmpeg;

// A fix older than this is no longer shown.
constexpr std::int64_t kFixMaxAgeMs = 2000;
// A picture older than this is no longer shown: the recording stopped.
constexpr std::int64_t kPictureMaxAgeMs = 2000;
// Frame rate when the recording gives none.
constexpr int kFallbackFps = 15;
constexpr int kLabelHeight = 30;

// The recording's frame rate from the time stamps of a channel's first
// pictures in the range: the median step between them.
int measureFrameRate(const std::string& dayFolder, int channel, std::int64_t fromMs,
                     std::int64_t toMs) {
    ChannelStream stream(dayFolder, channel);
    if (!stream.open(fromMs, toMs)) {
        return kFallbackFps;
    }
    std::vector<std::int64_t> times;
    for (ChannelStream::Item item = stream.next();
         item != ChannelStream::Item::End && times.size() < 32; item = stream.next()) {
        if (item == ChannelStream::Item::Video) {
            times.push_back(stream.video().ms);
        }
    }
    std::vector<std::int64_t> steps;
    for (std::size_t i = 1; i < times.size(); ++i) {
        if (times[i] > times[i - 1]) {
            steps.push_back(times[i] - times[i - 1]);
        }
    }
    if (steps.empty()) {
        return kFallbackFps;
    }
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2),
                     steps.end());
    const double step = static_cast<double>(steps[steps.size() / 2]);
    return std::clamp(static_cast<int>(std::lround(1000.0 / step)), 1, 60);
}

void fillBlack(AVFrame* f, int x, int y, int w, int h) {
    for (int r = y; r < y + h; ++r) {
        std::memset(f->data[0] + static_cast<std::ptrdiff_t>(r) * f->linesize[0] + x, 16,
                    static_cast<std::size_t>(w));
    }
    for (int r = y / 2; r < (y + h) / 2; ++r) {
        std::memset(f->data[1] + static_cast<std::ptrdiff_t>(r) * f->linesize[1] + x / 2, 128,
                    static_cast<std::size_t>(w / 2));
        std::memset(f->data[2] + static_cast<std::ptrdiff_t>(r) * f->linesize[2] + x / 2, 128,
                    static_cast<std::size_t>(w / 2));
    }
}

// Runs a job for each of a number of items on threads of its own and the
// calling thread, and returns when all are done. Threading: run() is called
// by one thread at a time (the export's); the jobs of one run() may run at
// the same time.
class Crew {
public:
    explicit Crew(int helpers) {
        for (int i = 0; i < helpers; ++i) {
            threads_.emplace_back([this] { work(); });
        }
    }
    ~Crew() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            stop_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_) {
            t.join();
        }
    }
    Crew(const Crew&) = delete;
    Crew& operator=(const Crew&) = delete;

    void run(int count, const std::function<void(int)>& job) {
        std::unique_lock<std::mutex> hold(lock_);
        job_ = &job;
        count_ = count;
        next_ = 0;
        ++generation_;
        wake_.notify_all();
        takeJobs(hold);
        done_.wait(hold, [this] { return next_ >= count_ && busy_ == 0; });
        job_ = nullptr;
    }

private:
    // Runs jobs until none is left; `hold` is locked on entry and exit.
    void takeJobs(std::unique_lock<std::mutex>& hold) {
        while (job_ != nullptr && next_ < count_) {
            const int i = next_++;
            ++busy_;
            const std::function<void(int)>* job = job_;
            hold.unlock();
            (*job)(i);
            hold.lock();
            if (--busy_ == 0 && next_ >= count_) {
                done_.notify_all();
            }
        }
    }
    void work() {
        std::unique_lock<std::mutex> hold(lock_);
        std::uint64_t seen = generation_;
        for (;;) {
            wake_.wait(hold, [&] { return stop_ || generation_ != seen; });
            if (stop_) {
                return;
            }
            seen = generation_;
            takeJobs(hold);
        }
    }

    std::mutex lock_;  // guards everything below
    std::condition_variable wake_;
    std::condition_variable done_;
    const std::function<void(int)>* job_ = nullptr;
    int count_ = 0;
    int next_ = 0;
    int busy_ = 0;
    std::uint64_t generation_ = 0;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

// One channel's place in the grid: its stream, decoder and latest picture.
// Touched by one crew thread at a time while a picture is drawn, and by the
// export thread between pictures.
struct Tile {
    int channel = 0;
    int x = 0, y = 0, width = 0, height = 0;  // the tile in the output picture
    std::unique_ptr<ChannelStream> stream;
    bool open = false;
    bool ended = false;
    ff::CodecContextPtr decoder;
    ff::PacketPtr packet{av_packet_alloc()};
    ff::FramePtr picture{av_frame_alloc()};
    ff::FramePtr scratch{av_frame_alloc()};
    bool havePicture = false;
    std::int64_t pictureMs = 0;
    // The next coded picture, read but not yet due.
    std::vector<std::uint8_t> next;
    std::int64_t nextMs = 0;
    bool haveNext = false;
    SwsContext* scaler = nullptr;  // owned, see ~Tile
    Stamp label;
    Stamp noVideo;
    bool failed = false;
    std::string error;

    Tile() = default;
    Tile(const Tile&) = delete;
    Tile& operator=(const Tile&) = delete;
    ~Tile() { sws_freeContext(scaler); }
};

class EvidenceWriter {
public:
    EvidenceWriter(const EvidenceRequest& request, int dayDate, const analysis::DayData& day,
                   const CardLabels& labels, StagedFile* out)
        : request_(request), dayDate_(dayDate), day_(day), labels_(labels), out_(out) {}

    ExportResult run(const ExportControl& control, ProgressThrottle* progress);

private:
    bool openTiles(std::vector<std::string>* notes, std::string* error);
    bool openOutput(int fps, std::string* error);
    bool advance(Tile& tile, std::int64_t ms, std::string* error);
    void decodeNext(Tile& tile);
    // Brings the tile to moment `ms` and draws it into its part of `frame`.
    // Runs on a crew thread; touches only the tile, its part of the frame
    // and, for the audio tile, the audio track and the muxer.
    bool drawTile(Tile& tile, AVFrame* frame, std::int64_t ms, std::string* error);
    bool encode(AVFrame* frame, std::string* error);

    const EvidenceRequest& request_;
    int dayDate_;
    const analysis::DayData& day_;
    const CardLabels& labels_;
    StagedFile* out_;
    std::vector<std::unique_ptr<Tile>> tiles_;
    Tile* audioTile_ = nullptr;
    OutputContextPtr mux_;
    AVStream* videoStream_ = nullptr;
    ff::CodecContextPtr encoder_;
    ff::PacketPtr packet_{av_packet_alloc()};
    AudioTrack audio_;
    bool hasAudio_ = false;
    BandText bandText_;
    Stamp band_;
};

bool EvidenceWriter::openTiles(std::vector<std::string>* notes, std::string* error) {
    const ExportRange& range = request_.range;
    const int grid = gridSize(static_cast<int>(range.channels.size()));
    const int tileW = kEvidenceWidth / grid;
    const int tileH = kEvidenceHeight / grid;
    const AVCodec* h264 = avcodec_find_decoder(AV_CODEC_ID_H264);
    if (h264 == nullptr) {
        *error = "FFmpeg has no H.264 decoder";
        return false;
    }
    bool any = false;
    for (std::size_t i = 0; i < range.channels.size(); ++i) {
        auto tile = std::make_unique<Tile>();
        tile->channel = range.channels[i];
        tile->x = static_cast<int>(i) % grid * tileW;
        tile->y = static_cast<int>(i) / grid * tileH;
        tile->width = tileW;
        tile->height = tileH;
        tile->stream = std::make_unique<ChannelStream>(range.dayFolder, tile->channel);
        tile->open = tile->stream->open(range.fromMs, range.toMs);
        std::string recordedTitle;
        if (tile->open) {
            any = true;
            tile->decoder.reset(avcodec_alloc_context3(h264));
            if (!tile->decoder || !tile->packet || !tile->picture || !tile->scratch) {
                *error = "Out of memory for a video decoder";
                return false;
            }
            // libx264 takes the other cores.
            tile->decoder->thread_count = 1;
            if (avcodec_open2(tile->decoder.get(), h264, nullptr) < 0) {
                *error = "Cannot open an H.264 decoder";
                return false;
            }
        } else {
            tile->ended = true;
            notes->push_back(labels_.titleOf(tile->channel) + ": no recording in this range");
        }
        const std::string title = labels_.titleOf(tile->channel);
        tile->label = Stamp(drawLabel(title, kLabelHeight));
        tile->noVideo = Stamp(drawLabel(title + " - No video", kLabelHeight));
        if (request_.audioChannel.value_or(range.channels.front()) == tile->channel) {
            audioTile_ = tile.get();
        }
        tiles_.push_back(std::move(tile));
    }
    if (!any) {
        *error = "No recording between " + formatDayTime(dayDate_, range.fromMs) + " and " +
                 formatDayTime(dayDate_, range.toMs).substr(11) + " on the chosen channels";
        return false;
    }
    if (request_.audioChannel && *request_.audioChannel >= 0 && audioTile_ == nullptr) {
        *error = "The audio channel " + std::to_string(*request_.audioChannel + 1) +
                 " is not one of the exported channels";
        return false;
    }
    return true;
}

bool EvidenceWriter::openOutput(int fps, std::string* error) {
    const AVCodec* x264 = avcodec_find_encoder_by_name("libx264");
    if (x264 == nullptr) {
        *error = "FFmpeg has no libx264 encoder";
        return false;
    }
    if (!out_->create(error) || !openMp4(out_->tempPath(), out_->finalPath(), &mux_, error)) {
        return false;
    }
    encoder_.reset(avcodec_alloc_context3(x264));
    if (!encoder_ || !packet_) {
        *error = "Out of memory for the video encoder";
        return false;
    }
    AVCodecContext* c = encoder_.get();
    c->width = kEvidenceWidth;
    c->height = kEvidenceHeight;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, fps};
    c->framerate = AVRational{fps, 1};
    c->gop_size = 2 * fps;
    c->thread_count = 0;
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(c->priv_data, "preset", request_.x264Preset.c_str(), 0);
    av_opt_set(c->priv_data, "crf", std::to_string(request_.crf).c_str(), 0);
    av_opt_set(c->priv_data, "x264-params", "log=-1", 0);
    int rc = avcodec_open2(c, x264, nullptr);
    if (rc < 0) {
        *error = "Cannot open libx264 with preset \"" + request_.x264Preset +
                 "\": " + ffmpegError(rc);
        return false;
    }
    videoStream_ = avformat_new_stream(mux_.get(), nullptr);
    if (videoStream_ == nullptr ||
        avcodec_parameters_from_context(videoStream_->codecpar, c) < 0) {
        *error = "Out of memory for the video stream";
        return false;
    }
    videoStream_->time_base = c->time_base;
    videoStream_->avg_frame_rate = c->framerate;

    if (audioTile_ != nullptr && audioTile_->open) {
        const VORTA::AudioCodecParams audio = audioTile_->stream->audioFormat();
        if (AudioTrack::canDecode(audio.codecKind) && audio.sampleRate > 0) {
            if (!audio_.open(mux_.get(), audio.sampleRate, request_.range.fromMs,
                             request_.range.toMs, out_->finalPath(), error)) {
                return false;
            }
            hasAudio_ = true;
        }
    }

    const ExportRange& range = request_.range;
    std::string when = formatDayTime(dayDate_, range.fromMs);
    const std::string until = formatDayTime(dayDate_, range.toMs).substr(11);
    std::string channels;
    std::string list;
    for (const auto& tile : tiles_) {
        channels += (channels.empty() ? "" : ", ") + labels_.titleOf(tile->channel);
        list += (list.empty() ? "" : ",") + std::to_string(tile->channel + 1);
    }
    AVDictionary** meta = &mux_->metadata;
    std::string iso = when;
    iso[10] = 'T';
    av_dict_set(meta, "creation_time", iso.c_str(), 0);
    av_dict_set(meta, "title", ("Evidence " + when + " to " + until).c_str(), 0);
    std::string comment = labels_.vehicleNumber.empty() ? std::string()
                                                        : "Vehicle " + labels_.vehicleNumber + ", ";
    comment += channels + ", " + when + " to " + until;
    av_dict_set(meta, "comment", comment.c_str(), 0);
    if (!labels_.vehicleNumber.empty()) {
        av_dict_set(meta, "vehicle_number", labels_.vehicleNumber.c_str(), 0);
    }
    av_dict_set(meta, "channel", list.c_str(), 0);
    av_dict_set(meta, "channel_title", channels.c_str(), 0);

    Dictionary options;
    options.set("movflags", "+faststart+use_metadata_tags");
    rc = avformat_write_header(mux_.get(), options.address());
    if (rc < 0) {
        *error = StagedFile::writeError(out_->finalPath(), ffmpegError(rc));
        return false;
    }
    return true;
}

void EvidenceWriter::decodeNext(Tile& tile) {
    tile.haveNext = false;
    if (av_new_packet(tile.packet.get(), static_cast<int>(tile.next.size())) < 0) {
        return;
    }
    std::memcpy(tile.packet->data, tile.next.data(), tile.next.size());
    tile.packet->pts = tile.nextMs;
    const int sent = avcodec_send_packet(tile.decoder.get(), tile.packet.get());
    av_packet_unref(tile.packet.get());
    if (sent < 0) {
        return;  // a damaged picture: the tile keeps the one before
    }
    while (avcodec_receive_frame(tile.decoder.get(), tile.scratch.get()) == 0) {
        av_frame_unref(tile.picture.get());
        av_frame_move_ref(tile.picture.get(), tile.scratch.get());
        tile.havePicture = true;
        tile.pictureMs = tile.picture->pts != AV_NOPTS_VALUE ? tile.picture->pts : tile.nextMs;
    }
}

bool EvidenceWriter::advance(Tile& tile, std::int64_t ms, std::string* error) {
    while (!tile.ended) {
        if (!tile.haveNext) {
            const ChannelStream::Item item = tile.stream->next();
            if (item == ChannelStream::Item::End) {
                tile.ended = true;
                break;
            }
            if (item == ChannelStream::Item::Audio) {
                if (&tile == audioTile_ && hasAudio_ &&
                    !audio_.add(tile.stream->audio(), tile.stream->audioMs(), error)) {
                    return false;
                }
                continue;
            }
            const ChannelStream::Video& v = tile.stream->video();
            tile.next.assign(v.data, v.data + v.size);
            tile.nextMs = v.ms;
            tile.haveNext = true;
        }
        if (tile.nextMs > ms) {
            break;
        }
        decodeNext(tile);
    }
    return true;
}

bool EvidenceWriter::drawTile(Tile& t, AVFrame* frame, std::int64_t ms, std::string* error) {
    if (!advance(t, ms, error)) {
        return false;
    }
    const bool showing = t.havePicture && ms - t.pictureMs <= kPictureMaxAgeMs;
    if (!showing) {
        fillBlack(frame, t.x, t.y, t.width, t.height);
        t.noVideo.blendInto(frame, t.x + 8, t.y + 8);
        return true;
    }
    // Fit the picture into the tile, its shape kept.
    const AVFrame* src = t.picture.get();
    int w = t.width;
    int h = static_cast<int>(static_cast<std::int64_t>(src->height) * w / src->width);
    if (h > t.height) {
        h = t.height;
        w = static_cast<int>(static_cast<std::int64_t>(src->width) * h / src->height);
    }
    w &= ~1;
    h &= ~1;
    const int x = t.x + (t.width - w) / 2 / 2 * 2;
    const int y = t.y + (t.height - h) / 2 / 2 * 2;
    if (w != t.width || h != t.height) {
        fillBlack(frame, t.x, t.y, t.width, t.height);
    }
    t.scaler = sws_getCachedContext(t.scaler, src->width, src->height,
                                    static_cast<AVPixelFormat>(src->format), w, h,
                                    AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (t.scaler == nullptr) {
        *error = "Cannot scale the pictures of " + labels_.titleOf(t.channel);
        return false;
    }
    std::uint8_t* dst[4] = {
        frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0] + x,
        frame->data[1] + static_cast<std::ptrdiff_t>(y / 2) * frame->linesize[1] + x / 2,
        frame->data[2] + static_cast<std::ptrdiff_t>(y / 2) * frame->linesize[2] + x / 2,
        nullptr};
    int lines[4] = {frame->linesize[0], frame->linesize[1], frame->linesize[2], 0};
    sws_scale(t.scaler, src->data, src->linesize, 0, src->height, dst, lines);
    t.label.blendInto(frame, t.x + 8, t.y + 8);
    return true;
}

bool EvidenceWriter::encode(AVFrame* frame, std::string* error) {
    int rc = avcodec_send_frame(encoder_.get(), frame);
    if (rc < 0) {
        *error = "Video encoding failed: " + ffmpegError(rc);
        return false;
    }
    for (;;) {
        rc = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) {
            return true;
        }
        if (rc < 0) {
            *error = "Video encoding failed: " + ffmpegError(rc);
            return false;
        }
        packet_->stream_index = videoStream_->index;
        av_packet_rescale_ts(packet_.get(), encoder_->time_base, videoStream_->time_base);
        rc = av_interleaved_write_frame(mux_.get(), packet_.get());
        if (rc < 0) {
            *error = StagedFile::writeError(out_->finalPath(), ffmpegError(rc));
            return false;
        }
    }
}

ExportResult EvidenceWriter::run(const ExportControl& control, ProgressThrottle* progress) {
    ExportResult result;
    std::string error;
    if (!openTiles(&result.notes, &error)) {
        return ExportResult::failed(error);
    }
    const ExportRange& range = request_.range;
    int fps = kFallbackFps;
    for (const auto& tile : tiles_) {
        if (tile->open) {
            fps = measureFrameRate(range.dayFolder, tile->channel, range.fromMs, range.toMs);
            break;
        }
    }
    if (!openOutput(fps, &error)) {
        return ExportResult::failed(error);
    }
    ff::FramePtr frame(av_frame_alloc());
    if (!frame) {
        return ExportResult::failed("Out of memory for a picture");
    }
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = kEvidenceWidth;
    frame->height = kEvidenceHeight;
    if (av_frame_get_buffer(frame.get(), 0) < 0) {
        return ExportResult::failed("Out of memory for a picture");
    }
    // The tiles are drawn side by side: decoding and scaling them is most of
    // the work besides libx264's, which runs on threads of its own.
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    Crew crew(std::min(static_cast<int>(tiles_.size()), cores) - 1);
    const std::int64_t span = range.toMs - range.fromMs;
    const std::int64_t frames = (span * fps + 999) / 1000;
    for (std::int64_t k = 0; k < frames; ++k) {
        if (control.cancelled()) {
            return ExportResult::cancelled();
        }
        const std::int64_t ms = range.fromMs + k * 1000 / fps;
        if (av_frame_make_writable(frame.get()) < 0) {
            return ExportResult::failed("Out of memory for a picture");
        }
        crew.run(static_cast<int>(tiles_.size()), [&](int i) {
            Tile& tile = *tiles_[static_cast<std::size_t>(i)];
            tile.failed = !drawTile(tile, frame.get(), ms, &tile.error);
        });
        for (const auto& tile : tiles_) {
            if (tile->failed) {
                return ExportResult::failed(tile->error);
            }
        }
        const BandText text = bandTextAt(day_, ms, request_.mph, labels_.vehicleNumber);
        if (band_.empty() || text.dateTime != bandText_.dateTime || text.speed != bandText_.speed ||
            text.position != bandText_.position || text.vehicle != bandText_.vehicle) {
            bandText_ = text;
            band_ = Stamp(drawBand(text, kEvidenceWidth, kBandHeight));
        }
        band_.blendInto(frame.get(), 0, kEvidenceHeight - kBandHeight);
        frame->pts = k;
        if (!encode(frame.get(), &error)) {
            return ExportResult::failed(error);
        }
        progress->report(0.05 + 0.95 * static_cast<double>(k + 1) / static_cast<double>(frames));
    }
    // The audio that lies after the last picture's moment.
    if (audioTile_ != nullptr && !advance(*audioTile_, range.toMs, &error)) {
        return ExportResult::failed(error);
    }
    if (!encode(nullptr, &error) || (hasAudio_ && !audio_.finish(&error))) {
        return ExportResult::failed(error);
    }
    int rc = av_write_trailer(mux_.get());
    if (rc >= 0) {
        rc = avio_closep(&mux_->pb);
    }
    if (rc < 0) {
        return ExportResult::failed(StagedFile::writeError(out_->finalPath(), ffmpegError(rc)));
    }
    result.status = Status::Ok;
    return result;
}

}  // namespace

int gridSize(int channels) {
    return channels <= 1 ? 1 : channels <= 4 ? 2 : 3;
}

BandText bandTextAt(const analysis::DayData& day, std::int64_t ms, bool mph,
                    const std::string& vehicle) {
    BandText text;
    text.dateTime = formatDayTime(day.date, ms);
    text.vehicle = vehicle;
    // The last valid fix at or before the moment: what the recorder knew then.
    const auto& fixes = day.fixes;
    auto it = std::upper_bound(fixes.begin(), fixes.end(), ms,
                               [](std::int64_t t, const analysis::GpsFix& f) { return t < f.ms; });
    const analysis::GpsFix* fix = nullptr;
    while (it != fixes.begin()) {
        --it;
        if (ms - it->ms > kFixMaxAgeMs) {
            break;
        }
        if (it->valid) {
            fix = &*it;
            break;
        }
    }
    if (fix == nullptr) {
        text.speed = mph ? "-- mph" : "-- km/h";
        text.position = "GPS: no fix";
        return text;
    }
    const double speed = fix->knots * (mph ? analysis::kMphPerKnot : analysis::kKmhPerKnot);
    text.speed = std::to_string(std::lround(speed)) + (mph ? " mph" : " km/h");
    text.position = std::string(fix->latitude < 0 ? "S " : "N ") +
                    fixedText(std::fabs(fix->latitude), 5) + "\u00B0 " +
                    (fix->longitude < 0 ? "W " : "E ") + fixedText(std::fabs(fix->longitude), 5) +
                    "\u00B0";
    return text;
}

ExportResult exportEvidence(const EvidenceRequest& request, const ExportControl& control) {
    int dayDate = 0;
    std::string error;
    if (!checkRange(request.range, &dayDate, &error)) {
        return ExportResult::failed(error);
    }
    if (!fontsAvailable()) {
        return ExportResult::failed("The evidence export needs a QGuiApplication to draw text");
    }
    EvidenceRequest req = request;
    if (req.range.channels.empty()) {
        req.range.channels = channelsOfDay(req.range.dayFolder);
        if (req.range.channels.size() > static_cast<std::size_t>(kMaxEvidenceChannels)) {
            req.range.channels.resize(kMaxEvidenceChannels);
        }
    }
    if (req.range.channels.empty()) {
        return ExportResult::failed("No recordings in " + req.range.dayFolder);
    }
    if (req.range.channels.size() > static_cast<std::size_t>(kMaxEvidenceChannels)) {
        return ExportResult::failed("An evidence video holds at most 9 channels");
    }
    ProgressThrottle progress(control);
    progress.report(0.0);
    analysis::DayData read;
    const analysis::DayData* day = request.day;
    if (day == nullptr) {
        analysis::ReadOptions options;
        options.useLogs = false;
        const std::atomic<bool> never{false};
        if (!analysis::readDay(req.range.dayFolder, options,
                               control.cancel != nullptr ? control.cancel : &never, &read)) {
            return control.cancelled() ? ExportResult::cancelled()
                                       : ExportResult::failed("Cannot read " + req.range.dayFolder);
        }
        day = &read;
    }
    const CardLabels labels = readCardLabels(analysis::cardRootOf(req.range.dayFolder));
    StagedFile out(req.outPath);
    EvidenceWriter writer(req, dayDate, *day, labels, &out);
    ExportResult result = writer.run(control, &progress);
    if (!result.ok()) {
        return result;
    }
    if (!out.commit(&error)) {
        return ExportResult::failed(error);
    }
    progress.report(1.0);
    result.files.push_back(out.finalPath());
    return result;
}

}  // namespace exporting
