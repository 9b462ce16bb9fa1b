#pragma once

// A media source reads the recordings of one site on threads of its own and
// hands every packet to the site through the sinks of its SourceParams.
//
// Threading: a media source is owned by one site. Its commands come from the
// site's control thread, one at a time; its queries from any thread (the
// GUI thread among them), and they must answer without waiting for a command
// or a file read. enableChannel comes also from the site's flow control on
// the source's read thread and on decode threads; implementations make it
// safe to call from any thread. The sinks are called on the source's read
// thread, except the event sink, which runs on the thread that issued the
// command.
//
// Lifecycle: CreateMediaSource -> open -> start -> commands -> requestStop ->
// close -> DestroyVCodec.
//
// Dates and times in the commands are plain numbers (year, month, day, hour,
// minute, second) in the recorder's local time.

#include "codecs/VCodec.h"
#include "core/EngineObject.h"
#include "core/Params.h"

class IMediaSource : public IEngineObject {
public:
    ~IMediaSource() override = default;

    // Copies the parameters and starts preparing the channels of the mask.
    virtual bool open(SourceParams* params) = 0;
    virtual bool start() = 0;
    // Asks the threads to finish; close() waits for them.
    virtual bool requestStop() = 0;
    virtual void close() = 0;

    // Repositioning commands; each sends one source event per channel.
    virtual void gotoDateTime(int year, int month, int day, int hour, int minute, int second) = 0;
    virtual void gotoFirst() = 0;
    virtual void gotoLast() = 0;
    // Stops delivering on every channel without repositioning; sends no event.
    virtual void pauseAll() = 0;
    // The first argument of the three play commands is accepted and ignored.
    virtual void playForward(int sequence, int year, int month, int day, int hour, int minute,
                             int second) = 0;
    virtual void playReverse(int sequence, int year, int month, int day, int hour, int minute,
                             int second) = 0;
    virtual void setSpeed(int speedIndex, int sequence, int year, int month, int day, int hour,
                          int minute, int second) = 0;

    // True when the channel has no reader or its reader has no file open.
    virtual bool isChannelClosed(int channel) = 0;
    // True when no channel has a file open.
    virtual bool allChannelsClosed() = 0;
    // Write the value into *out when out is not null, and return it.
    virtual int getDirection(int* out) = 0;
    virtual int getSpeedIndex(int* out) = 0;
    // Switches the delivery of one channel on or off (flow control).
    virtual bool enableChannel(int channel, bool enable) = 0;
    // Earliest first and latest last recording over the channels as yyyymmdd
    // and hhmmss; false when no channel knows one.
    virtual bool getFirstRecordTime(int* date, int* time) = 0;
    virtual bool getLastRecordTime(int* date, int* time) = 0;

    // Starts reading a channel the source was not opened for (or had
    // removed), positioned at date (yyyymmdd) and time (hhmmss) in the
    // current direction and speed, without disturbing the other channels and
    // without looking for recordings again; false when the source cannot take
    // channels once open (its owner then opens a new source).
    virtual bool addChannel(int /*channel*/, int /*date*/, int /*time*/) { return false; }
    // Stops reading a channel for good, until addChannel: repositionings
    // leave it alone.
    virtual void removeChannel(int /*channel*/) {}

    // Whether the source has found its recordings (the folder scan is done).
    // Commands given before are carried out afterwards, in order.
    virtual bool isPrepared() { return true; }
    // Whether the channel has nothing more to deliver from its position in
    // the current direction: it ran out of recordings, or has none on that
    // side of the position it was sent to. False while preparing and for a
    // channel without a reader.
    virtual bool isChannelExhausted(int /*channel*/) { return false; }

protected:
    IMediaSource() = default;
};

// Kind 4 creates the recording-file media source. Kinds 0 to 3 are accepted
// and create nothing (*out is left unchanged); any other kind returns false.
// The third argument is accepted and ignored. Callers test *out, not the
// result. The object is deleted with DestroyVCodec.
bool CreateMediaSource(IMediaSource** out, int kind, void* unused = nullptr);
