#pragma once

// One-time FFmpeg set-up, created by the main window at start.
//
// Threading: call from one thread (the GUI thread) before any codec is opened.

#include "core/EngineObject.h"

class IUtility : public IEngineObject {
public:
    ~IUtility() override = default;

    // Prepares the library for use. True when it is ready.
    virtual bool init() = 0;
    // Counterpart of init(); nothing needs undoing for FFmpeg. Always true.
    virtual bool uninit() = 0;
};

class CFFmpegUtility : public IUtility {
public:
    bool init() override;
    bool uninit() override;
};

// Kind 0 stores a new CFFmpegUtility in *out (null if allocation failed); every
// other kind creates nothing. True in both cases; false only for a null out.
bool CreateUtility(IUtility** out, int kind);
