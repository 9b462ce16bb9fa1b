#pragma once

// Moving in a recording file by 64-bit offsets. A recording file may be
// larger than 2 GiB, which a long offset (fseek, ftell) cannot reach on every
// platform; the recording library is built with _FILE_OFFSET_BITS=64, so
// that off_t is 64 bits wide everywhere.
//
// Threading: free functions without state; each works on the stream it is
// given, whose position it changes.

#include <cstdint>
#include <cstdio>

namespace fileoffset {

// Moves f to `offset` relative to `origin` (SEEK_SET, SEEK_CUR, SEEK_END);
// false when the seek failed.
bool seek(std::FILE* f, std::int64_t offset, int origin = SEEK_SET);
// The position of f; -1 when unknown.
std::int64_t tell(std::FILE* f);

}  // namespace fileoffset
