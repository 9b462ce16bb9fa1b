#pragma once

// Placing a firmware file on the recorder's card. The recorder upgrades itself
// from the file at its next start, so the file must never be seen half
// written under its final name.
//
// Threading: free functions, any thread; `progress` runs on the calling thread.

#include <QString>

#include <functional>

// The name the recorder looks for, given the chosen file's name: the part
// before the first "_" plus ".bin" ("zd-3100_v1.2.bin" -> "zd-3100.bin"); a
// name without "_" is kept as it is ("zd-3100.bin").
QString firmwareTargetName(const QString& fileName);

// Copies `source` to `target` in chunks, under a temporary name beside the
// target that is renamed over it only when the copy is complete. `progress`
// (optional) hears the percentage copied after every chunk, ending with 100.
// On failure nothing is left of the attempt, the previous target (if any) is
// kept, and `error` (when given) tells why.
bool copyFileWhole(const QString& source, const QString& target,
                   const std::function<void(int percent)>& progress = {}, QString* error = nullptr);
