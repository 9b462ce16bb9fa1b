// The channel reader: opening its recordings one after another and reading
// them packet by packet.

#include "recording/SSFChannelReaderPrivate.h"

using namespace ssfreader;

SSFChannelReader::SSFChannelReader(int channel, const SourceParams& params)
    : d_(new Impl(params)), channel_(channel) {
    reset();
}

SSFChannelReader::~SSFChannelReader() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    d_->file.close();
}

void SSFChannelReader::reset() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    d_->file.close();
    d_->setCurrent(pt::ptime(pt::not_a_date_time));
    d_->first = pt::ptime(pt::not_a_date_time);
    d_->last = pt::ptime(pt::not_a_date_time);
    d_->currentFile = -1;
    d_->keys.clear();
    d_->keySource = KeySource::None;
    d_->currentEntry = -1;
}

void SSFChannelReader::addFile(const std::string& path) {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    d_->files.push_back(path);
}

void SSFChannelReader::prepare() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    std::sort(d_->files.begin(), d_->files.end());
    d_->first = pt::ptime(pt::not_a_date_time);
    d_->last = pt::ptime(pt::not_a_date_time);
    for (const std::string& path : d_->files) {
        d_->first = fileStart(path);
        if (!d_->first.is_not_a_date_time()) {
            break;
        }
    }
    for (auto it = d_->files.rbegin(); it != d_->files.rend(); ++it) {
        d_->last = fileEnd(*it);
        if (!d_->last.is_not_a_date_time()) {
            break;
        }
    }
}

void SSFChannelReader::rewind() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    d_->currentFile = 0;
}

void SSFChannelReader::startAtFirstFile() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    const int n = static_cast<int>(d.files.size());
    for (d.currentFile = 0; d.currentFile < n; ++d.currentFile) {
        openCurrentFile();
        if (d.file.isOpen()) {
            readNext();
            return;
        }
    }
}

void SSFChannelReader::openCurrentFile() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    const int n = static_cast<int>(d.files.size());
    if (n == 0 || d.currentFile < 0 || d.currentFile >= n) {
        return;
    }
    const std::string& path = d.files[static_cast<std::size_t>(d.currentFile)];
    if (d.file.isOpen()) {
        if (d.file.path() == path) {
            return;
        }
        d.file.close();
    }
    if (!d.file.open(path)) {
        return;
    }
    std::lock_guard<std::recursive_mutex> holdFile(d.file.lock());
    VORTA::HEADERUNIT header;
    std::uint32_t firstPacket = 0;
    if (!readHeaderUnit(d.file.handle(), kHeaderBufferSize, &header, &firstPacket)) {
        // Without its header unit the packets cannot be told apart.
        d.file.close();
        return;
    }
    const pt::ptime start = datingStart(header, path);
    if (start.is_not_a_date_time()) {
        // Its packets could only carry made-up dates.
        d.file.close();
        return;
    }
    d.header = std::move(header);
    d.start = start;
    d.firstPacket = firstPacket;
    d.limit = dataLimit(d.header.iframeProperties.tableOffset(), firstPacket, d.file.size());
    d.lastStamp = 0;
    d.awaitKeyFrame = false;
    loadKeyFrames();
    d.file.seek(static_cast<std::int64_t>(firstPacket));
}

void SSFChannelReader::readNext() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    const int fileCount = static_cast<int>(d.files.size());

    // The open file's data are over: on to the neighbouring file, or out.
    auto endOfFile = [&]() -> bool {
        d.file.close();
        const int dir = direction_.load();
        for (;;) {
            if (dir == DIRECTION_BACKWARD) {
                if (d.currentFile < 0) {
                    break;
                }
                if (--d.currentFile < 0) {
                    break;
                }
            } else {
                if (d.currentFile >= fileCount) {
                    break;
                }
                if (++d.currentFile >= fileCount) {
                    break;
                }
            }
            openCurrentFile();
            if (d.file.isOpen()) {
                return true;
            }
        }
        d.setCurrent(pt::ptime(pt::not_a_date_time));
        return false;
    };

    for (;;) {
        if (!d.file.isOpen()) {
            return;
        }
        const int s = speedIndex_.load();
        // In key-frame stepping, the entry this read went to.
        const KeyFrame* entry = nullptr;
        if (s != kSpeedIndexStill && s != kSpeedIndexNormal) {
            const int dir = direction_.load();
            if (dir != DIRECTION_FORWARD && dir != DIRECTION_BACKWARD) {
                return;
            }
            ensureKeyFrames();
            if (!d.keys.empty()) {
                const int count = static_cast<int>(d.keys.size());
                if (dir == DIRECTION_FORWARD) {
                    if (d.currentEntry >= count) {
                        if (!endOfFile()) {
                            return;
                        }
                        continue;
                    }
                    d.currentEntry = std::max(d.currentEntry, 0);
                    entry = &d.keys[static_cast<std::size_t>(d.currentEntry)];
                    ++d.currentEntry;
                } else {
                    if (d.currentEntry < 0) {
                        if (!endOfFile()) {
                            return;
                        }
                        continue;
                    }
                    d.currentEntry = std::min(d.currentEntry, count - 1);
                    entry = &d.keys[static_cast<std::size_t>(d.currentEntry)];
                    --d.currentEntry;
                }
                d.file.seek(static_cast<std::int64_t>(entry->offset));
            }
        }
        if (speedIndex_.load() != s) {
            continue;
        }
        const std::int64_t at = d.file.tell();
        // The I-frame table ends the packets as the end of the file would.
        if (at >= static_cast<std::int64_t>(d.limit)) {
            if (!endOfFile()) {
                return;
            }
            continue;
        }
        // A packet that cannot be read as one: in key-frame stepping the
        // entry is passed over; otherwise reading resumes after the damage.
        auto damaged = [&]() -> bool {
            if (entry != nullptr) {
                return true;
            }
            return resumeAfterDamage(at) || endOfFile();
        };
        std::uint8_t* const buf = d.buffer.get();
        if (d.file.read(buf, 4) < 4) {
            if (!endOfFile()) {
                return;
            }
            continue;
        }
        const std::uint32_t t = VORTA::loadU32(buf);
        if (speedIndex_.load() != s) {
            continue;
        }
        if (t == 4 && entry == nullptr) {
            continue;  // an empty packet: try the next 4 bytes
        }
        if (!VORTA::isPacketLengthInRange(t) ||
            at + static_cast<std::int64_t>(t) > static_cast<std::int64_t>(d.limit)) {
            if (!damaged()) {
                return;
            }
            continue;
        }
        const std::size_t rest = t - 4;
        const std::size_t got = d.file.read(buf + 4, rest);
        if (!d.file.isOpen()) {
            continue;
        }
        if (got < rest) {
            // The file got shorter than when it was opened.
            if (!endOfFile()) {
                return;
            }
            continue;
        }
        if (speedIndex_.load() != s) {
            continue;
        }
        VORTA::REPLY_DATA packet;
        if (packet.parse(buf, t) == 0 || packet.timestamp >= VORTA::kLongestRecordingMs) {
            if (!damaged()) {
                return;
            }
            continue;
        }
        if (entry != nullptr && (!packet.isKeyFrameFlag() ||
                                 packet.streamNumber() != d.header.videoProperties.streamNumber ||
                                 packet.timestamp != entry->timeMs)) {
            continue;  // an entry that does not point at its key frame
        }
        VORTA::PacketRecord record = VORTA::makePacketRecordAt(d.header, d.start, packet, channel_);
        if (d.awaitKeyFrame && record.kind == VORTA::PacketKind::Video) {
            if (!packet.isKeyFrameFlag()) {
                continue;
            }
            d.awaitKeyFrame = false;
        }
        d.lastStamp = packet.timestamp;
        switch (record.kind) {
            case VORTA::PacketKind::Skipped:
                return;
            case VORTA::PacketKind::Audio:
                d.sample.reset();
                if (d.params.audioSink) {
                    d.params.audioSink(&record.audio);
                }
                break;
            default:
                d.sample = std::move(record.sample);
                break;
        }
        if (!record.instant.is_not_a_date_time()) {
            d.setCurrent(record.instant);
        }
        return;
    }
}

SSFChannelReader::ptime SSFChannelReader::currentInstant() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->current;
}

bool SSFChannelReader::hasCurrentInstant() const {
    return d_->hasCurrent.load();
}

STREAMOBJECT* SSFChannelReader::currentSample() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->sample.get();
}

bool SSFChannelReader::deliverCurrentSample(
    const boost::function<void(STREAMOBJECT*)>& sink) const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    if (!d_->sample || sink.empty()) {
        return false;
    }
    sink(d_->sample.get());
    return true;
}

bool SSFChannelReader::isClosed() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return !d_->file.isOpen();
}

void SSFChannelReader::setSpeed(int speedIndex, int date, int time) {
    if (!isValidSpeedIndex(speedIndex)) {
        return;
    }
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    if (speedIndex == speedIndex_.load()) {
        return;
    }
    speedIndex_.store(speedIndex);
    if (speedIndex == kSpeedIndexStill) {
        direction_.store(DIRECTION_STILL);
        return;
    }
    direction_.store(speedIndex > kSpeedIndexStill ? DIRECTION_FORWARD : DIRECTION_BACKWARD);
    seek(date, time);
}

void SSFChannelReader::repositionAt(int speedIndex, int date, int time) {
    if (!isValidSpeedIndex(speedIndex)) {
        return;
    }
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    speedIndex_.store(speedIndex);
    direction_.store(speedIndex > kSpeedIndexStill   ? DIRECTION_FORWARD
                     : speedIndex < kSpeedIndexStill ? DIRECTION_BACKWARD
                                                     : DIRECTION_STILL);
    seek(date, time);
}

void SSFChannelReader::playForwardFrom(int date, int time) {
    repositionAt(kSpeedIndexNormal, date, time);
}

void SSFChannelReader::playBackwardFrom(int date, int time) {
    repositionAt(kSpeedIndexReverse, date, time);
}

SSFChannelReader::ptime SSFChannelReader::firstInstant() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->first;
}

SSFChannelReader::ptime SSFChannelReader::lastInstant() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->last;
}

std::vector<std::string> SSFChannelReader::files() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->files;
}

int SSFChannelReader::currentFile() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->currentFile;
}

int SSFChannelReader::currentEntry() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->currentEntry;
}

int SSFChannelReader::entryCount() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return static_cast<int>(d_->keys.size());
}

std::vector<SSFChannelReader::KeyFrame> SSFChannelReader::keyFrames() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->keys;
}

SSFChannelReader::KeySource SSFChannelReader::keySource() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->keySource;
}

VORTA::HEADERUNIT SSFChannelReader::headerUnit() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->header;
}

SSFChannelReader::ptime SSFChannelReader::openFileStart() const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    return d_->file.isOpen() ? d_->start : pt::ptime(pt::not_a_date_time);
}

void SSFChannelReader::setLog(std::ostream* log) {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    d_->log = log;
}
