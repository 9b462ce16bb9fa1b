#pragma once

// What an MP4 file needs to know of the recordings' H.264 pictures before it
// can take them: the stream's parameter sets and its picture size. The
// recorder writes each picture as an Annex B access unit (start codes) with
// its sequence and picture parameter sets in every key frame.
//
// Threading: free functions without shared state.

#include <cstdint>
#include <vector>

namespace exporting {

// The sequence and picture parameter set units of an Annex B access unit,
// each behind a 4-byte start code, in their order; empty when it has none.
std::vector<std::uint8_t> annexBParameterSets(const std::uint8_t* data, int size);

// Decodes one key frame to learn its picture size; false when it does not
// decode.
bool decodedPictureSize(const std::uint8_t* data, int size, int* width, int* height);

}  // namespace exporting
