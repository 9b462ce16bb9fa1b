#pragma once

// Clip export: one MP4 file per camera channel for a stretch of a day, with
// the recorded H.264 pictures as they are (remuxed, no quality lost) and the
// channel's audio as AAC.
//
//   exporting::ClipRequest request;
//   request.range = {"/media/card/20260301", from, to, {0, 1}};
//   request.outFolder = "/home/me/incident";
//   exporting::ExportResult r = exporting::exportClips(request, control);
//
// Each file starts at the key frame at or before the start of the range (see
// ChannelStream.h) and holds every picture the recording has from there up to
// the end of the range, timed by the recording's own time stamps (a pause of
// the recorder stays a pause); recording files follow each other without a
// seam. The file carries "+faststart" (its index first, so that it plays while
// it downloads) and metadata: creation_time (the recorder's clock at the first
// picture, "yyyy-mm-ddThh:mm:ss", without a zone as the recorder stores
// none), title, comment, and the keys vehicle_number, channel and
// channel_title.
//
// Channels without a picture in the range are left out with a note; when no
// channel has one the export fails. Every file is written under a temporary
// name and all are renamed together at the end: a cancelled or failed export
// leaves none.
//
// Threading: see ExportTypes.h.

#include <string>

#include "export/ExportTypes.h"

namespace exporting {

struct ClipRequest {
    ExportRange range;
    std::string outFolder;  // must exist
};

// "20260301_120000-120030_CH1.mp4" for channel 0.
std::string clipFileName(int dayDate, std::int64_t fromMs, std::int64_t toMs, int channel);

ExportResult exportClips(const ClipRequest& request, const ExportControl& control);

}  // namespace exporting
