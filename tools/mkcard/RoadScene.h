#pragma once

// The road scene of the demo card: what a windscreen camera sees on a two-lane
// country road, so that recordings cost the encoder and the decoder about what
// real footage costs. A perspective road of textured asphalt with edge lines
// and a dashed centre line rushing towards the camera, gravel shoulders and
// grass beside it, a tree line and clouds on a horizon that drifts sideways as
// the road bends and bobs with the suspension, haze towards the horizon and
// the car's bonnet at the bottom. Odd channels look backwards (the road runs
// away from the camera); every channel has its own phase and camera height.
// The channel, date and time box of the plain scene is drawn over it.
//
// Pure function of its arguments: the same arguments give the same bytes.
// Thread-safe (the shared texture is built once, on first use).

#include <cstdint>

#include "CivilTime.h"
#include "Painter.h"

namespace mkcard {

// frameNumber counts the channel's pictures since the card's start; fps turns
// it into the scene's time. instant and millisecond are the recording time
// printed in the box.
void paintRoadFrame(YuvPicture& picture, int channel, int64_t frameNumber, int fps,
                    const CivilTime& instant, int millisecond);

}  // namespace mkcard
