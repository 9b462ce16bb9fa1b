#pragma once

// Parameter and callback bundles handed to a site (SiteParams) and by a site to
// its media source (SourceParams).
//
// Threading: both bundles are copied by value into their receivers, which own
// their copies. The callbacks are called on engine threads (decode workers, a
// site's audio thread, a media source's read thread, or the thread issuing a
// command), never on the GUI thread unless said so; a callback must not touch
// widgets. Calling an empty boost::function throws, so every caller tests for
// emptiness first except for onPicture, which a site requires to be set.

#include <cstdint>
#include <string>

#include <boost/function.hpp>

#include "core/PlaybackTypes.h"
#include "core/Records.h"

struct SiteParams {
    // Identities the engine only carries: the first is the display page's own
    // address, the second the key under which the page opened the site.
    std::int64_t pageIdentity = 0;
    std::int64_t siteIdentity = 0;

    std::string folder;  // root folder of the recording files to play
    // 1: decode workers pace pictures against the site's presentation clock;
    // any other value: pictures are presented as soon as they are decoded.
    int pacing = 1;
    int startDate = 0;  // yyyymmdd; 0 = start of the recordings
    int startTime = 0;  // hhmmss
    ChannelMask channelMask = 0;
    // One stream-type byte per channel (only the first kMaxChannels are used);
    // byte n is rewritten by the site's setChannelEnabled.
    unsigned char channelOptions[128] = {};
    std::uint32_t layoutValue = 0;  // set by the display page, not read by the engine

    // Network server settings, carried but not read by the recording-file engine.
    std::string serverAddress;
    int serverPort = 0;
    std::string userId;
    std::string userPassword;

    // Layout of the pictures handed to onPicture: PICTURE_RGBA, or
    // PICTURE_YUV420 for the decoder's planes without conversion whenever the
    // stream allows it (pictures of other streams still come as RGBA; the
    // record says which).
    int pictureFormat = 0;

    // Called by every decode worker for every presented picture. Must be set.
    boost::function<void(PUSHVIDEO*)> onPicture;
    // Called by the site's audio thread for every decoded audio block.
    boost::function<void(_AUDIODATA*)> onAudio;
    // Called by network sources only.
    boost::function<void(SNAPSHOT*)> onSnapshot;
    boost::function<void(RECDATEINFO*)> onRecDateInfo;
    // Notifications the site sends after it stored a new time table
    // (onRecordTable) or a new recorded-days record (onCalendar, with the
    // site identity).
    boost::function<void(RECORDTABLEINFO*)> onRecordTable;
    boost::function<void(std::int64_t)> onCalendar;
    // Network notices (codes, a message in the local 8-bit encoding and its
    // kind); called by network sources only.
    boost::function<void(int, int, int, char*, int, std::int64_t)> onNotice;
};

struct SourceParams {
    std::int64_t pageIdentity = 0;
    std::int64_t siteIdentity = 0;
    std::string folder;
    int startDate = 0;  // yyyymmdd; 0 = start at the first recording of every channel
    int startTime = 0;  // hhmmss
    ChannelMask channelMask = 0;
    unsigned char channelOptions[128] = {};
    std::string serverAddress;
    int serverPort = 0;
    std::string userId;
    std::string userPassword;

    // Display-page callbacks that only network sources call.
    boost::function<void(SNAPSHOT*)> onSnapshot;
    boost::function<void(RECDATEINFO*)> onRecDateInfo;
    boost::function<void(int, int, int, char*, int, std::int64_t)> onNotice;

    // Sinks bound by the site. The record passed in stays the caller's; a sink
    // that keeps data copies it.
    // Video, GPS and G-sensor records, on the source's read thread.
    boost::function<void(STREAMOBJECT*)> packetSink;
    // Audio records, on the source's read thread (called by the channel readers).
    boost::function<void(READASTREAM*)> audioSink;
    // Day time table and recorded-days record; network sources only.
    boost::function<void(TIMETABLEDATA*)> timeTableSink;
    boost::function<void(CALENDARDATA*)> calendarSink;
    // Empties all decode queues and unsets the presentation clock; network
    // sources only. The argument is not interpreted.
    boost::function<void(int)> resetSink;
    // Source events (code, channel), on the thread that issued the command.
    boost::function<void(int, int)> eventSink;
};
