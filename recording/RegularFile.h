#pragma once

// Opening card files for reading, regular files only. A FIFO named like a
// recording, an index file or a setup file would block the open (until a
// writer comes, which may be never), a device may deliver bytes without end,
// and a folder cannot be read: none of them is ever opened for reading. The
// test and the open are one step (a non-blocking open, then fstat on the
// descriptor), so a file swapped for a FIFO in between is refused too.
//
// Threading: free functions without shared state.

#include <cstdint>
#include <cstdio>
#include <string>

namespace regularfile {

// A read-only descriptor of `path` when it is a regular file (links are
// followed), else -1. The caller closes it.
int openDescriptor(const std::string& path);

// A binary read stream of `path` when it is a regular file, else null. When
// `size` is given it receives the file's size.
std::FILE* openStream(const std::string& path, std::int64_t* size = nullptr);

// Whether `path` names a regular file (links are followed).
bool isRegular(const std::string& path);

}  // namespace regularfile
