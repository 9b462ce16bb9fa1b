#include "export/ChannelStream.h"

#include <atomic>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <vector>

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <boost/date_time/posix_time/posix_time_types.hpp>

#include "core/Params.h"
#include "recording/DayListing.h"
#include "recording/FolderScan.h"
#include "recording/PacketTime.h"
#include "recording/SSFChannelReader.h"

namespace exporting {

namespace pt = boost::posix_time;

namespace {

constexpr std::int64_t kNoTime = std::numeric_limits<std::int64_t>::min();

// Swallows the reader's search lines.
class NullStream : public std::ostream {
public:
    NullStream() : std::ostream(nullptr) {}
};

pt::ptime midnightOf(int dayDate) {
    try {
        return VORTA::instantFromDateTime(dayDate, 0);
    } catch (const std::exception&) {
        return pt::ptime(pt::not_a_date_time);
    }
}

}  // namespace

std::vector<int> channelsOfDay(const std::string& dayFolder) {
    std::vector<bool> seen(32, false);
    for (const std::string& name : dayListing::recordingNames(dayFolder)) {
        if (name.size() < 8 || !dayListing::isListedSize(dayFolder + "/" + name)) {
            continue;
        }
        const char a = name[6];
        const char b = name[7];
        if (a >= '0' && a <= '9' && b >= '0' && b <= '9') {
            const int channel = (a - '0') * 10 + (b - '0');
            if (channel < 32) {
                seen[static_cast<std::size_t>(channel)] = true;
            }
        }
    }
    std::vector<int> out;
    for (int c = 0; c < 32; ++c) {
        if (seen[static_cast<std::size_t>(c)]) {
            out.push_back(c);
        }
    }
    return out;
}

ChannelStream::ChannelStream(std::string dayFolder, int channel)
    : dayFolder_(std::move(dayFolder)), channel_(channel), quiet_(new NullStream) {
    while (dayFolder_.size() > 1 && dayFolder_.back() == '/') {
        dayFolder_.pop_back();
    }
}

ChannelStream::~ChannelStream() = default;

std::int64_t ChannelStream::msOf(int date, int time, int milliseconds) const {
    const pt::ptime midnight = midnightOf(dayDate_);
    if (midnight.is_special()) {
        return kNoTime;
    }
    try {
        const pt::ptime t = VORTA::instantFromDateTime(date, time);
        return (t - midnight).total_milliseconds() + milliseconds;
    } catch (const std::exception&) {
        return kNoTime;
    }
}

bool ChannelStream::open(std::int64_t fromMs, std::int64_t toMs) {
    dayDate_ = dayListing::dayFolderDate(dayFolder_);
    if (dayDate_ == 0 || midnightOf(dayDate_).is_special() || toMs <= fromMs) {
        return false;
    }
    toMs_ = toMs;
    SourceParams params;
    params.audioSink = [this](READASTREAM* block) {
        if (acceptAudio_ && block != nullptr) {
            audio_ = *block;
            haveAudio_ = true;
        }
    };
    reader_.reset(new SSFChannelReader(channel_, params));
    reader_->setLog(quiet_.get());
    const std::atomic<bool> keepGoing{true};
    scanFolder(dayFolder_, {reader_.get()}, keepGoing, quiet_.get());
    if (reader_->files().empty() || !positionAt(fromMs)) {
        return false;
    }
    return startMs_ < toMs_;
}

bool ChannelStream::positionAt(std::int64_t fromMs) {
    const pt::ptime midnight = midnightOf(dayDate_);
    auto seekTo = [&](std::int64_t ms) {
        // The reader seeks by whole seconds: to the first key frame at or
        // after the second that holds `ms`.
        const pt::ptime t = midnight + pt::milliseconds(ms - (ms % 1000 + 1000) % 1000);
        reader_->playForwardFrom(VORTA::dateInteger(t), VORTA::timeInteger(t));
        const pt::ptime now = reader_->currentInstant();
        return now.is_special() ? kNoTime : (now - midnight).total_milliseconds();
    };
    auto near = [&](std::int64_t keyMs) {
        return keyMs != kNoTime && keyMs <= fromMs && fromMs - keyMs <= kMaxKeyFrameLeadMs;
    };

    std::int64_t landed = seekTo(fromMs);
    if (landed == kNoTime) {
        return false;
    }
    if (landed > fromMs || !near(landed)) {
        // The key frame at or before the start: in the file the reader
        // opened, else the last one of the file before it.
        std::int64_t best = kNoTime;
        try {
            const pt::ptime start = VORTA::startInstant(reader_->headerUnit().fileProperties);
            for (const SSFChannelReader::KeyFrame& k : reader_->keyFrames()) {
                const std::int64_t ms =
                    (start - midnight).total_milliseconds() + static_cast<std::int64_t>(k.timeMs);
                if (ms <= fromMs) {
                    best = ms;
                }
            }
        } catch (const std::exception&) {
            // No start instant: no key frame of this file can be placed.
        }
        const int file = reader_->currentFile();
        if (!near(best) && file > 0) {
            const std::vector<std::string> files = reader_->files();
            const pt::ptime end = reader_->fileEnd(files[static_cast<std::size_t>(file) - 1]);
            best = end.is_special() ? kNoTime : (end - midnight).total_milliseconds();
        }
        if (near(best)) {
            landed = seekTo(best);
        } else if (landed < fromMs) {
            // Only recordings that ended long before the start.
            return false;
        }
        if (landed == kNoTime) {
            return false;
        }
    }
    startMs_ = landed;
    firstPending_ = true;
    return true;
}

VORTA::AudioCodecParams ChannelStream::audioFormat() const {
    return reader_ ? VORTA::audioCodecParams(reader_->headerUnit().audioProperties)
                   : VORTA::AudioCodecParams();
}

bool ChannelStream::fillVideo(const STREAMOBJECT* sample) {
    if (sample == nullptr || sample->kind != STREAMOBJECT::KIND_VIDEO) {
        return false;
    }
    const auto* v = static_cast<const READVSTREAM*>(sample);
    const std::int64_t ms = msOf(v->date, v->time, v->milliseconds);
    const pt::ptime now = reader_->currentInstant();
    const pt::ptime midnight = midnightOf(dayDate_);
    // A record whose time is not the reader's instant came from a file whose
    // start date is invalid: it carries the computer's clock.
    if (ms == kNoTime || now.is_special() || (now - midnight).total_milliseconds() != ms ||
        v->data == nullptr || v->size <= 0) {
        return false;
    }
    video_.ms = ms;
    video_.key = v->frameType == READVSTREAM::kKeyFrame;
    video_.data = v->data.get();
    video_.size = v->size;
    video_.width = v->width;
    video_.height = v->height;
    video_.title = v->text1;
    return true;
}

ChannelStream::Item ChannelStream::next() {
    if (ended_ || !reader_) {
        return Item::End;
    }
    if (firstPending_) {
        firstPending_ = false;
        const STREAMOBJECT* s = reader_->currentSample();
        lastSample_ = s;
        if (fillVideo(s) && video_.key && video_.ms < toMs_) {
            started_ = true;
            acceptAudio_ = true;
            return Item::Video;
        }
    }
    acceptAudio_ = true;
    for (;;) {
        haveAudio_ = false;
        reader_->readNext();
        const pt::ptime now = reader_->currentInstant();
        if (now.is_special()) {
            ended_ = true;
            return Item::End;
        }
        const STREAMOBJECT* s = reader_->currentSample();
        if (s == nullptr) {
            lastSample_ = nullptr;
        }
        if (haveAudio_) {
            const std::int64_t ms = msOf(audio_.date, audio_.time, audio_.milliseconds);
            if (!started_ || ms == kNoTime ||
                (now - midnightOf(dayDate_)).total_milliseconds() != ms) {
                continue;
            }
            audioMs_ = ms;
            return Item::Audio;
        }
        // A packet the reader skips leaves the previous sample in place.
        if (s == nullptr || s == lastSample_) {
            continue;
        }
        lastSample_ = s;
        if (!fillVideo(s)) {
            continue;
        }
        if (video_.ms >= toMs_) {
            ended_ = true;
            return Item::End;
        }
        if (!started_) {
            if (!video_.key) {
                continue;
            }
            started_ = true;
            startMs_ = video_.ms;
        }
        return Item::Video;
    }
}

}  // namespace exporting
