#pragma once

// Evidence export: one MP4 file (H.264 by libx264, AAC audio) with the chosen
// channels side by side in a grid, and the facts an insurer or the police ask
// for burned into every picture.
//
//   1 channel      the whole 1920x1080 picture
//   2 to 4         a 2x2 grid of 960x540 tiles
//   5 to 9         a 3x3 grid of 640x360 tiles
//
// Each tile shows its channel's picture (scaled, its shape kept) with the
// channel title in its top left corner; a channel that has no picture at a
// moment (not recording, or its recording not started yet) shows black with
// "No video". A band along the bottom of the picture carries the date and
// time of the picture (the recorder's clock), the speed and GPS position of
// the last fix at or before it (not older than 2 s), and the vehicle number.
//
// The video runs at the recording's frame rate (that of the first channel with
// pictures in the range, measured from its time stamps) from the start of the
// range exactly to its end; each tile shows the channel's latest picture at
// or before the moment of the output picture. The audio is that of one
// channel (the selected view's in the viewer).
//
// Threading: see ExportTypes.h. Drawing the text needs a QGuiApplication
// (see Overlay.h); without one the export fails with a message.

#include <optional>
#include <string>

#include "analysis/DayData.h"
#include "export/ExportTypes.h"
#include "export/Overlay.h"

namespace exporting {

// libx264's preset for evidence videos: the slowest that keeps four channels
// of 1280x720 at 15 fps at or above real time on two cores (see
// bench/export).
constexpr const char* kDefaultX264Preset = "veryfast";

// The output picture.
constexpr int kEvidenceWidth = 1920;
constexpr int kEvidenceHeight = 1080;
// Height of the bottom band.
constexpr int kBandHeight = 48;
// Most channels in one evidence video.
constexpr int kMaxEvidenceChannels = 9;

struct EvidenceRequest {
    ExportRange range;
    std::string outPath;  // the MP4 file to write
    // The channel whose audio goes along; none for the first channel of the
    // range; -1 for no audio.
    std::optional<int> audioChannel;
    bool mph = false;  // speed in mph instead of km/h
    std::string x264Preset = kDefaultX264Preset;
    int crf = 21;
    // The day's samples when the caller has them already (the viewer's
    // analysis of the open day); read from the day folder when null.
    const analysis::DayData* day = nullptr;
};

// Grid columns (and rows) for a number of channels: 1, 2 or 3.
int gridSize(int channels);

// The band's texts at `ms` of a day (see the file comment).
BandText bandTextAt(const analysis::DayData& day, std::int64_t ms, bool mph,
                    const std::string& vehicle);

ExportResult exportEvidence(const EvidenceRequest& request, const ExportControl& control);

}  // namespace exporting
