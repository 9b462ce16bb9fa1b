// File search: the recording and key frame for an instant, the first and
// last recordings, and the file-level searches behind them.

#include "recording/SSFChannelReaderPrivate.h"

using namespace ssfreader;

namespace {

// Key frame for `target` among `keys` of a file starting at `start`:
// forward, the first at or after the target, else the last one; backward,
// the one before the target with *entry staying at the one after it, else
// the last one. The result is the offset to seek to; -1 when there are no
// key frames (then *entry is 0).
std::int64_t keyFrameFor(const std::vector<KeyFrame>& keys, const pt::ptime& start,
                         const pt::ptime& target, bool backward, int* entry) {
    const int count = static_cast<int>(keys.size());
    if (count == 0) {
        *entry = 0;
        return -1;
    }
    pt::ptime previous;
    for (int i = 0; i < count; ++i) {
        const std::size_t u = static_cast<std::size_t>(i);
        const pt::ptime t = start + pt::milliseconds(static_cast<std::int64_t>(keys[u].timeMs));
        *entry = i;
        if (i == 0) {
            if (t >= target) {
                return keys[0].offset;
            }
        } else if (!backward) {
            if (previous < target && target <= t) {
                return keys[u].offset;
            }
        } else if (previous <= target && target < t) {
            // The earlier key frame; the entry stays at the later one.
            return keys[u - 1].offset;
        }
        previous = t;
    }
    // The target lies in the last group of pictures of the file.
    *entry = count - 1;
    return keys.back().offset;
}

}  // namespace

SSFChannelReader::ptime SSFChannelReader::fileStart(const std::string& path) const {
    ProbedFile f;
    if (!f.open(path) || f.start.is_not_a_date_time()) {
        return pt::ptime(pt::not_a_date_time);
    }
    const std::vector<KeyFrame> keys = f.keyFrames(path, false);
    if (keys.empty()) {
        // No key-frame list at all: the recording starts with the file.
        return f.start;
    }
    return f.start + pt::milliseconds(static_cast<std::int64_t>(keys.front().timeMs));
}

SSFChannelReader::ptime SSFChannelReader::fileEnd(const std::string& path) const {
    ProbedFile f;
    if (!f.open(path) || f.start.is_not_a_date_time()) {
        return pt::ptime(pt::not_a_date_time);
    }
    const std::vector<KeyFrame> keys = f.keyFrames(path, false);
    // Without a list that fits the recording (none written, or damaged), the
    // recording length of the header.
    const std::uint32_t stamp =
        keys.empty() ? f.header.fileProperties.recordingLength : keys.back().timeMs;
    if (stamp >= VORTA::kLongestRecordingMs) {
        // A recording covers less than an hour: such a stamp is no end.
        return pt::ptime(pt::not_a_date_time);
    }
    return f.start + pt::milliseconds(static_cast<std::int64_t>(stamp));
}

std::int64_t SSFChannelReader::findOffset(const std::string& path, const ptime& target) {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    const bool backward = direction_.load() == DIRECTION_BACKWARD;
    if (target.is_special()) {
        return -1;
    }
    if (d.file.isOpen() && d.file.path() == path) {
        ensureKeyFrames();
        const std::int64_t offset = keyFrameFor(d.keys, d.start, target, backward, &d.currentEntry);
        return offset >= 0 ? offset : d.firstPacket;
    }
    ProbedFile f;
    if (!f.open(path) || f.start.is_not_a_date_time()) {
        return -1;
    }
    const std::vector<KeyFrame> keys = f.keyFrames(path, true);
    const std::int64_t offset = keyFrameFor(keys, f.start, target, backward, &d.currentEntry);
    return offset >= 0 ? offset : f.firstPacket;
}

bool SSFChannelReader::seek(int date, int time) {
    const pt::ptime target = instantOrUnset(date, time);
    if (target.is_not_a_date_time()) {
        return false;
    }
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    Impl& d = *d_;
    d.setCurrent(pt::ptime(pt::not_a_date_time));
    d.sample.reset();
    const FileSearch where = static_cast<int>(d.files.size()) > kLinearSearchMaxFiles
                                 ? searchBinary(target)
                                 : searchLinear(target);
    if (where.file < 0) {
        // Nothing to play on this side of the target.
        d.file.close();
        d.currentFile = -1;
        return true;
    }
    d.currentFile = where.file;
    openCurrentFile();
    if (!d.file.isOpen()) {
        return true;
    }
    const bool backward = direction_.load() == DIRECTION_BACKWARD;
    ensureKeyFrames();
    std::int64_t offset = -1;
    if (d.keys.empty()) {
        offset = d.firstPacket;
        d.currentEntry = 0;
    } else if (where.inside) {
        offset = keyFrameFor(d.keys, d.start, target, backward, &d.currentEntry);
    } else {
        // The next file forward, the previous one backward.
        d.currentEntry = backward ? static_cast<int>(d.keys.size()) - 1 : 0;
        offset = d.keys[static_cast<std::size_t>(d.currentEntry)].offset;
    }
    d.file.seek(static_cast<std::int64_t>(offset));
    d.awaitKeyFrame = false;
    d.lastStamp = 0;
    readNext();
    return true;
}

void SSFChannelReader::goToFirst() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    goToKeyFrameAtEnd(false);
}

void SSFChannelReader::goToLast() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    goToKeyFrameAtEnd(true);
}

void SSFChannelReader::goToKeyFrameAtEnd(bool last) {
    Impl& d = *d_;
    // The current file stays open when it is already (its key frames, maybe
    // found by walking its packets, stay with it); another one is opened.
    openCurrentFile();
    if (!d.file.isOpen()) {
        return;
    }
    d.setCurrent(pt::ptime(pt::not_a_date_time));
    d.awaitKeyFrame = false;
    ensureKeyFrames();
    d.currentEntry = last ? static_cast<int>(d.keys.size()) - 1 : 0;
    const std::uint64_t offset =
        d.keys.empty() ? d.firstPacket : (last ? d.keys.back() : d.keys.front()).offset;
    d.file.seek(static_cast<std::int64_t>(offset));
    readNext();
}

void SSFChannelReader::goToFirstFile() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    if (d_->files.empty()) {
        return;
    }
    d_->currentFile = 0;
    goToFirst();
}

void SSFChannelReader::goToLastFile() {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    if (d_->files.empty()) {
        return;
    }
    d_->currentFile = static_cast<int>(d_->files.size()) - 1;
    goToLast();
}

namespace {

// A target that lies in no file: the next file when playing forward (or
// still), the previous one when playing backward; none when there is no file
// on that side.
SSFChannelReader::FileSearch nearestFile(int before, int after, int direction) {
    SSFChannelReader::FileSearch r;
    r.file = direction == DIRECTION_BACKWARD ? before : after;
    return r;
}

}  // namespace

SSFChannelReader::FileSearch SSFChannelReader::searchLinear(const ptime& target) const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    const Impl& d = *d_;
    std::ostream* log = d.logStream();
    int before = -1;
    int after = -1;
    for (std::size_t i = 0; i < d.files.size(); ++i) {
        const std::string& path = d.files[i];
        const pt::ptime start = nameInstant(path);
        if (start.is_not_a_date_time()) {
            continue;
        }
        if (log != nullptr) {
            *log << "ch." << channel_ << " date:" << dateOfPath(path) << " time:<<"
                 << timeOfPath(path) << "\n";
        }
        const pt::ptime end = fileEnd(path);
        if (end.is_not_a_date_time()) {
            continue;
        }
        if (start <= target && target <= end) {
            return FileSearch{static_cast<int>(i), true};
        }
        if (start > target) {
            if (log != nullptr) {
                *log << "ch." << channel_ << " 1. temp find!!!\n";
            }
            after = static_cast<int>(i);
            break;  // the list is in time order: no later file holds the target
        }
        if (log != nullptr) {
            *log << "ch." << channel_ << " 2. find!!!\n";
        }
        before = static_cast<int>(i);
    }
    return nearestFile(before, after, direction_.load());
}

SSFChannelReader::FileSearch SSFChannelReader::searchBinary(const ptime& target) const {
    std::lock_guard<std::recursive_mutex> hold(d_->lock);
    const Impl& d = *d_;
    std::ostream* log = d.logStream();
    const int n = static_cast<int>(d.files.size());
    auto startOf = [&](int i) { return nameInstant(d.files[static_cast<std::size_t>(i)]); };

    // The last file, by its name, that starts at or before the target. Names
    // are cheap to read; files with invalid names are stepped over.
    int lo = 0;
    int hi = n - 1;
    int atOrBefore = -1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        int m = mid;
        while (m >= lo && startOf(m).is_not_a_date_time()) {
            --m;
        }
        if (m < lo) {
            m = mid + 1;
            while (m <= hi && startOf(m).is_not_a_date_time()) {
                ++m;
            }
            if (m > hi) {
                break;
            }
        }
        if (startOf(m) <= target) {
            atOrBefore = m;
            lo = m + 1;
        } else {
            hi = m - 1;
        }
    }

    // Ends are read only around that file, skipping files without one.
    auto examine = [&](int i, pt::ptime* end) {
        const std::string& path = d.files[static_cast<std::size_t>(i)];
        if (startOf(i).is_not_a_date_time()) {
            return false;
        }
        if (log != nullptr) {
            *log << "ch." << channel_ << " date:" << dateOfPath(path) << " time:<<"
                 << timeOfPath(path) << "\n";
        }
        *end = fileEnd(path);
        return !end->is_not_a_date_time();
    };
    int before = -1;
    pt::ptime end;
    for (int i = atOrBefore; i >= 0; --i) {
        if (examine(i, &end)) {
            if (target <= end) {
                return FileSearch{i, true};
            }
            before = i;
            break;
        }
    }
    int after = -1;
    for (int i = atOrBefore + 1; i < n; ++i) {
        if (examine(i, &end)) {
            after = i;
            break;
        }
    }
    return nearestFile(before, after, direction_.load());
}
