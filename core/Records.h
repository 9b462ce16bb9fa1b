#pragma once

// Records exchanged between the parts of the playback engine and handed to the
// display page.
//
// Threading: records are plain values without locks. A record belongs to one
// owner at a time; whoever hands one to a callback keeps ownership, and a
// callee that wants to keep data copies it (the copy constructors below make
// deep copies of every owned buffer), or holds the reference a record offers
// for that (PUSHVIDEO::keep).

#include <cstdint>
#include <memory>
#include <string>

struct AVCodecContext;

// Common head of every packet record that passes a site's packet sink.
struct STREAMOBJECT {
    enum Kind : int { KIND_VIDEO = 0, KIND_GPS = 2, KIND_GSENSOR = 3 };

    int kind = -1;
    int date = 0;          // yyyymmdd
    int time = 0;          // hhmmss
    int milliseconds = 0;  // 0..999
    int sequence = 0;      // raw time stamp: milliseconds since the start of the packet's file
    int channel = -1;

    STREAMOBJECT() = default;
    virtual ~STREAMOBJECT() = default;

protected:
    explicit STREAMOBJECT(int k) : kind(k) {}
    STREAMOBJECT(const STREAMOBJECT&) = default;
    STREAMOBJECT& operator=(const STREAMOBJECT&) = default;
};

// One coded picture.
struct READVSTREAM : STREAMOBJECT {
    std::unique_ptr<unsigned char[]> data;  // the coded picture, `size` bytes
    int size = 0;
    int width = 0;  // picture size announced by the file's video properties
    int height = 0;
    int frameType = kOtherFrame;
    int reserved = 0;  // carried through unchanged
    // flags[0] and flags[2] are carried through; a copy sets flags[1] to 1 so
    // that a consumer can tell its own copy from the producer's original.
    unsigned char flags[3] = {0, 0, 0};
    std::string text1;  // the title string of the file properties
    std::string text2;
    std::int64_t stamp = 0;
    // Not owned. When set, the decoder opens on this context instead of a
    // default H.264 one; the recording-file reader leaves it null.
    AVCodecContext* codecContext = nullptr;

    static constexpr int kKeyFrame = 3;
    static constexpr int kOtherFrame = 2;

    READVSTREAM() : STREAMOBJECT(KIND_VIDEO) {}
    READVSTREAM(const READVSTREAM& other);
    READVSTREAM& operator=(const READVSTREAM& other);
    ~READVSTREAM() override = default;

    // Replaces the picture with a copy of `count` bytes (none when count <= 0).
    void setData(const unsigned char* bytes, int count);
};

// One GPS sample.
struct GPSDATA : STREAMOBJECT {
    std::uint32_t extra = 0;  // carried through unchanged
    double latitude = 0.0;    // degrees
    double longitude = 0.0;   // degrees
    double speed = 0.0;       // knots over ground
    // Set by a decode worker when it stores a new latest sample; cleared by the
    // reader of that sample.
    bool isNew = false;

    GPSDATA() : STREAMOBJECT(KIND_GPS) {}
    GPSDATA(const GPSDATA&) = default;
    GPSDATA& operator=(const GPSDATA&) = default;
};

// One G-sensor sample; the axis values are already cut to two decimals.
struct GSENSORDATA : STREAMOBJECT {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    std::uint8_t extra = 0;  // carried through unchanged
    bool isNew = false;      // as for GPSDATA

    GSENSORDATA() : STREAMOBJECT(KIND_GSENSOR) {}
    GSENSORDATA(const GSENSORDATA&) = default;
    GSENSORDATA& operator=(const GSENSORDATA&) = default;
};

// One block of coded audio. It travels through the audio sink, not the packet
// sink, and so has its own layout.
struct READASTREAM {
    int param1 = 0;  // sample-size value
    int param2 = 0;  // sample rate in Hz
    int param3 = 0;  // byte of the file's audio header used as the channel count
    std::unique_ptr<unsigned char[]> data;  // `size` bytes
    int size = 0;
    int channel = -1;
    int codecKind = -1;  // selects the audio decoder; -1 when the coding is unknown
    int date = 0;
    int time = 0;
    int milliseconds = 0;

    READASTREAM() = default;
    READASTREAM(const READASTREAM& other);
    READASTREAM& operator=(const READASTREAM& other);
    READASTREAM(READASTREAM&&) noexcept = default;
    READASTREAM& operator=(READASTREAM&&) noexcept = default;
    ~READASTREAM() = default;

    void setData(const unsigned char* bytes, int count);
};

// One decoded picture for the display page. Built on a decode thread for the
// duration of one callback; the planes belong to the decoder.
struct PUSHVIDEO {
    std::int64_t siteKey = 0;
    int channel = -1;
    // PICTURE_RGBA (PlaybackTypes.h): planes[0] is packed RGBA, 4 bytes per
    // pixel, rows top to bottom without padding. PICTURE_YUV420 (only when the
    // site was asked for it, SiteParams::pictureFormat): planes[0..2] are Y, U
    // and V, lineSizes[0..2] bytes per row, fullRange as the decoder said.
    int format = 0;
    unsigned char* planes[4] = {nullptr, nullptr, nullptr, nullptr};
    int lineSizes[4] = {0, 0, 0, 0};
    bool fullRange = false;
    // When set, holding it keeps the planes valid and unchanged after the
    // callback returns, so the page may keep the picture instead of copying
    // it (YUV pictures; the decoder's reference, see VideoDecodeBuffer).
    std::shared_ptr<const void> keep;
    int width = 0;
    int height = 0;
    int date = 0;  // yyyymmdd
    int time = 0;  // hhmmss
    std::string text;
};

// One decoded block of 16-bit signed PCM for the display page, valid for the
// duration of one callback; the data belongs to the audio decoder.
struct _AUDIODATA {
    unsigned char* data = nullptr;
    int length = 0;  // bytes
    int param3 = 0;  // channel count
    int param1 = 0;  // sample size
    int param2 = 0;  // sample rate
    int channel = -1;
    std::int64_t siteKey = 0;
};

// Records that network sources deliver through a site. The recording-file
// engine never produces them; they exist so that the callback signatures are
// complete and a display page can copy them whole.
struct SNAPSHOT {
    std::int64_t session = 0;
    std::int64_t siteIdentity = 0;
};

struct RECDATEINFO {
    std::int64_t session = 0;
    std::int64_t siteIdentity = 0;
};

struct RECORDTABLEINFO {
    std::int64_t session = 0;
    std::int64_t siteIdentity = 0;
};

// One entry per minute of a day, as a source delivers it; copied unchanged.
struct TIMETABLEDATA {
    static constexpr int kEntries = 1440;
    static constexpr int kEntrySize = 128;
    unsigned char entries[kEntries][kEntrySize];
    std::uint32_t count;
};

// Recorded-days record, as a source delivers it; copied unchanged.
struct CALENDARDATA {
    std::uint32_t key;
    unsigned char days[16];
    double stamp;
    std::uint32_t value1;
    std::uint16_t value2;
    std::uint8_t value3;
    std::uint32_t value4;
};
