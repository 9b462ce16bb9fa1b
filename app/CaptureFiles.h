#pragma once

// Writing captured pictures without ever losing one: the folder is created
// when missing, and a name that is taken gets "-1", "-2" ... before its
// extension instead of overwriting the picture already there.
//
// Threading: plain functions; they only touch the file system.

#include <QString>

class QImage;

namespace captureFiles {

// Creates `folder` (and its parents) when missing; false when it cannot.
bool ensureFolder(const QString& folder);

// Saves `image` as PNG at `path`, or at the first free name "<base>-N.png".
// The file is created exclusively, so nothing is ever overwritten. Returns the
// path written, empty on failure (nothing left behind then).
QString saveUnique(const QImage& image, const QString& path);

// The name of the N-th alternative: "a/b.png", 2 -> "a/b-2.png".
QString numberedName(const QString& path, int n);

}  // namespace captureFiles
