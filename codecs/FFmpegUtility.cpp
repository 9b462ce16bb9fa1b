#include <new>

#include "codecs/Utility.h"

bool CFFmpegUtility::init() {
    // libavcodec has registered its codecs by itself since version 58: there
    // is nothing left to register before the first look-up.
    return true;
}

bool CFFmpegUtility::uninit() {
    return true;
}

bool CreateUtility(IUtility** out, int kind) {
    if (out == nullptr) {
        return false;
    }
    if (kind == 0) {
        *out = new (std::nothrow) CFFmpegUtility();
    }
    return true;
}
