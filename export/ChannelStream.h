#pragma once

// The coded pictures and audio blocks of one camera channel over a stretch of
// a day, in the order the recordings hold them, read with the player's own
// channel reader across as many recording files as the stretch spans.
//
// The stream starts at the key frame at or before the start of the range (a
// picture can only be decoded from one), looked for within kMaxKeyFrameLeadMs
// before the start: a key frame further back belongs to a recording that is
// not running at the start, and the stream starts at the first key frame
// after it instead. It ends before the first picture at or after the end of
// the range. Audio blocks come as they lie between the pictures. Packets of a
// file whose start date is invalid (a recorder without a set clock) cannot be
// placed in time and are passed over.
//
// Threading: one owner thread; the stream keeps no global state, so streams
// of different channels may run on different threads.

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "core/Records.h"
#include "recording/PacketRecords.h"

class SSFChannelReader;

namespace exporting {

// How far before the start of a range its first key frame may lie.
constexpr std::int64_t kMaxKeyFrameLeadMs = 10'000;

// The channels that have recordings in a day folder, ascending.
std::vector<int> channelsOfDay(const std::string& dayFolder);

class ChannelStream {
public:
    enum class Item { Video, Audio, End };

    struct Video {
        std::int64_t ms = 0;  // from the day's midnight
        bool key = false;
        const std::uint8_t* data = nullptr;  // valid until the next next()
        int size = 0;
        int width = 0;  // as the recording's video properties announce it
        int height = 0;
        std::string title;  // the recording's own channel title
    };

    // `dayFolder` is ".../yyyymmdd".
    ChannelStream(std::string dayFolder, int channel);
    ~ChannelStream();
    ChannelStream(const ChannelStream&) = delete;
    ChannelStream& operator=(const ChannelStream&) = delete;

    // Finds the channel's recordings and positions at the key frame for
    // `fromMs`. False when the channel has no picture in [fromMs, toMs).
    bool open(std::int64_t fromMs, std::int64_t toMs);

    // The next picture or audio block, or End.
    Item next();
    const Video& video() const { return video_; }
    // The audio block of the last Audio item, and its time.
    const READASTREAM& audio() const { return audio_; }
    std::int64_t audioMs() const { return audioMs_; }

    // Time of the first picture (the key frame the stream starts at); valid
    // after open() succeeded.
    std::int64_t startMs() const { return startMs_; }
    // The audio coding of the recording the stream starts in (kind -1 when it
    // has none the reader knows); valid after open() succeeded.
    VORTA::AudioCodecParams audioFormat() const;
    int channel() const { return channel_; }
    int dayDate() const { return dayDate_; }

private:
    // ms from the day's midnight of a record's date, time and millisecond.
    std::int64_t msOf(int date, int time, int milliseconds) const;
    bool positionAt(std::int64_t ms);
    bool fillVideo(const STREAMOBJECT* sample);

    std::string dayFolder_;
    int channel_;
    int dayDate_ = 0;
    std::unique_ptr<std::ostream> quiet_;
    std::unique_ptr<SSFChannelReader> reader_;
    std::int64_t toMs_ = 0;
    std::int64_t startMs_ = 0;
    bool ended_ = false;
    bool firstPending_ = false;   // the positioning read the first picture
    bool started_ = false;        // a key frame was handed out
    bool acceptAudio_ = false;
    bool haveAudio_ = false;
    const void* lastSample_ = nullptr;
    Video video_;
    READASTREAM audio_;
    std::int64_t audioMs_ = 0;
};

}  // namespace exporting
