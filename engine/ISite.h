#pragma once

// A site is one opened recording source as the rest of the program sees it:
// the display page creates it, hands it a SiteParams bundle and drives
// playback through it.
//
// Threading: every operation is called from the GUI thread. Pictures, audio
// and notifications leave the site through the SiteParams callbacks on engine
// threads (see core/Params.h).
//
// Lifecycle: CreateSite -> reset -> open -> playback operations in any order
// -> stop -> close -> DestroyVCodec.
//
// Dates and times are plain numbers (year, month, day, hour, minute, second)
// or the engine's yyyymmdd / hhmmss integers, in the recorder's local time.
// A time query returns false when nothing has been presented yet or the time
// is not a sensible date.

#include <cstdint>

#include "codecs/VCodec.h"
#include "core/EngineObject.h"
#include "core/Params.h"

class ISite : public IEngineObject {
public:
    ~ISite() override = default;

    // Forgets the time table, the channels and the auxiliary state.
    virtual void reset() = 0;
    // Sets the closing state and asks every thread to finish.
    virtual void stop() = 0;
    // Closes the source and the decode workers and joins every thread.
    virtual void close() = 0;
    // Keeps a copy of *params and opens the channels of its mask.
    virtual bool open(SiteParams* params) = 0;
    // open() again with the bundle kept from the last open().
    virtual bool reopen() = 0;

    virtual void gotoDateTime(int year, int month, int day, int hour, int minute, int second) = 0;
    virtual bool getCurrentDateTime(int* date, int* time) = 0;
    virtual bool getCurrentTime(int* year, int* month, int* day, int* hour, int* minute,
                                int* second) = 0;
    virtual bool getChannelDateTime(int channel, int* date, int* time) = 0;
    virtual bool getChannelTime(int channel, int* year, int* month, int* day, int* hour,
                                int* minute, int* second) = 0;
    // Copies the day time table out; a null table copies nothing.
    virtual void getTimeTable(TIMETABLEDATA* table) = 0;

    virtual void play() = 0;
    virtual void playReverse() = 0;
    virtual void stepForward() = 0;
    virtual void stepBackward() = 0;
    virtual void changeSpeed(int speedIndex) = 0;
    virtual void pause() = 0;
    // Write the value into *out when out is not null, and return it.
    virtual int getPlayMode(int* out) = 0;
    virtual int getSpeedIndex(int* out) = 0;

    // Stores the stream type (0 automatic, 1 and 2 fixed types) of a channel
    // and applies it from the given date and time; 0, 0 means the channel's
    // current time. isChannelEnabled answers the stored stream type.
    virtual void setChannelEnabled(int streamType, int channel, int date, int time) = 0;
    virtual int isChannelEnabled(int channel) = 0;

    // Copies the stored recorded-days record; a null record copies nothing.
    virtual void getCalendar(CALENDARDATA* calendar) = 0;

    virtual void removeChannel(int channel) = 0;
    virtual bool hasNoChannels() = 0;
    // Opens the channels of the mask that are not yet open, starting at the
    // given yyyymmdd / hhmmss. The second argument is accepted and ignored.
    virtual void addChannelsAt(ChannelMask mask, std::uint32_t unused, int date, int time) = 0;

    // Repositions every channel at the first / last recording of all
    // channels (a channel without a recording there stays quiet); false when
    // the site cannot reposition. Given while the site still looks for its
    // recordings, the jump is carried out once they are found.
    virtual bool gotoFirst() { return false; }
    virtual bool gotoLast() { return false; }

    // End of the recordings: every channel has shown its last picture in the
    // play direction. play() then starts again from the first recording.
    virtual bool isFinished() { return false; }
    // The channel has nothing to show at the play position: no recording
    // there or none left in the play direction, or its next picture lies far
    // from the play position. Its view says so instead of showing an old
    // picture as current.
    virtual bool isChannelQuiet(int /*channel*/) { return false; }

    virtual bool getFirstRecordTime(int* date, int* time) = 0;
    virtual bool getLastRecordTime(int* date, int* time) = 0;

    // The bundle kept from open(); owned by the site.
    virtual SiteParams* getParams() = 0;

    // Latest samples presented on a channel, owned by the site and valid until
    // the site is closed; null before the first sample or for a channel without
    // a decode worker. The caller clears isNew after use (for the G-sensor
    // sample through clearGSensorFlag).
    virtual GSENSORDATA* getGSensorData(int channel) = 0;
    virtual void clearGSensorFlag(int channel) = 0;
    virtual GPSDATA* getGpsData(int channel) = 0;

    // Thumbnail and recorded-date sessions belong to network sources, which a
    // recording-file site never has; these defaults answer for such a site.
    enum SessionKind : int { SESSION_SNAPSHOT = 0, SESSION_DATE_INFO = 1 };
    virtual bool hasPendingRequest(int /*sessionKind*/) { return false; }
    virtual void closeSession(int /*sessionKind*/, std::int64_t /*session*/) {}

protected:
    ISite() = default;
};

// Kind 2 creates a recording-file site and records the kind in it. Other kinds
// return true and leave *out unchanged. Callers test *out, not the result. The
// object is deleted with DestroyVCodec.
bool CreateSite(ISite** out, int kind);
