#pragma once

// Builds small H.264 streams with libx264 for the decoder tests: every picture
// is split into a left and a right half of one solid colour each.

#include <cstdint>
#include <functional>
#include <vector>

struct AVFrame;

namespace testing_h264 {

struct Rgb {
    int r;
    int g;
    int b;
};

struct Halves {
    Rgb left;
    Rgb right;
};

using Packet = std::vector<std::uint8_t>;

// One annex-B packet per picture, in order (no B-frames, no lookahead), with a
// key frame every keyInterval pictures. Empty when libx264 is not available.
std::vector<Packet> encodeHalves(int width, int height, const std::vector<Halves>& pictures,
                                 int keyInterval);

// The same for count pictures that paint draws into a YUV 4:2:0 frame.
using Painter = std::function<void(AVFrame* frame, int index)>;
std::vector<Packet> encodePictures(int width, int height, int count, int keyInterval,
                                   const Painter& paint);

}  // namespace testing_h264
