#pragma once

// Start-up reading of the five style sheets into the configuration.
//
// Threading: GUI thread (writes the configuration).

#include <QString>

class CConfiguration;

// Looks the style sheets up in appDir + "/../css" (bin/ beside css/) or, when
// that folder holds no "style.css", in appDir + "/css" (the build tree), or,
// when neither does, in appDir + "/../share/korvel/css" (installed with
// cmake --install). The application style file is chosen by config.skin(): 0 "style.css",
// 1 "style_light.css", 2 "style_gray.css", anything else "style.css". Nothing is
// read unless the application style file opens; a missing companion file gives
// an empty text. Returns whether the application style file was read.
bool loadStyleSheets(const QString& appDir, CConfiguration& config);
