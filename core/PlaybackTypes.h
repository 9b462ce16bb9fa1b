#pragma once

// Constants shared by every part of the playback engine: the speed table, the
// play modes and the codes a media source reports to its site.
//
// Threading: constants only.

#include <cstdint>

// Playback speeds indexed by the speed index. Index 8 is normal forward speed
// and the initial value everywhere, index 7 stands still, indexes below 7 run
// backward. Every holder of a speed index reads speeds from this one table.
inline constexpr int SpeedTable[15] = {-64, -32, -16, -8, -4, -2, -1, 0, 1, 2, 4, 8, 16, 32, 64};
inline constexpr int kSpeedIndexCount = 15;
inline constexpr int kSpeedIndexStill = 7;
inline constexpr int kSpeedIndexNormal = 8;
// Backward playback at speed -1; what reverse play starts with.
inline constexpr int kSpeedIndexReverse = 6;

inline constexpr bool isValidSpeedIndex(int index) {
    return index >= 0 && index < kSpeedIndexCount;
}

// The play mode held by a site and copied into each of its decode workers.
enum PlayMode : int {
    PLAYMODE_FORWARD = 0,
    PLAYMODE_BACKWARD = 1,
    PLAYMODE_STEP_FORWARD = 2,
    PLAYMODE_STEP_BACKWARD = 3,
    PLAYMODE_STILL = 4,
};

// Pixel layout of a decoded picture (VideoDecodeBuffer, PUSHVIDEO).
enum PictureFormat : int {
    // Packed RGBA, 4 bytes per pixel, in planes[0].
    PICTURE_RGBA = 0,
    // The decoder's own 8-bit 4:2:0 planes: Y full size in planes[0], U and V
    // at half width and half height in planes[1] and planes[2], each row
    // lineSizes[i] bytes apart. Handed out without conversion.
    PICTURE_YUV420 = 1,
};

// Reading direction of a media source or channel reader.
enum ReadDirection : int {
    DIRECTION_FORWARD = 0,
    DIRECTION_BACKWARD = 1,
    DIRECTION_STILL = 4,
};

// Source events: (code, channel) pairs reported once per channel reader when a
// media source repositions. The codes do not fit a positive int; they travel
// through an int parameter and keep their bit pattern.
inline constexpr int EVT_SPEED_CHANGED = static_cast<int>(0xAA060005u);
inline constexpr int EVT_PLAY_DIRECTION = static_cast<int>(0xAA060007u);
inline constexpr int EVT_REPOSITIONED = static_cast<int>(0xAA060009u);

// A site and a media source handle channels 0..31; sets of channels are masks
// with bit n standing for channel n.
inline constexpr int kMaxChannels = 32;
using ChannelMask = std::uint32_t;
