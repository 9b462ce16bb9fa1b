#include <new>

#include "codecs/ACodec.h"
#include "codecs/ACodec_FFMpeg_Core.h"
#include "codecs/G711.h"
#include "codecs/G723Coder.h"
#include "codecs/ImaAdpcm.h"

bool CreateACodec(IACodec** out, int kind) {
    if (out == nullptr) {
        return false;
    }
    switch (kind) {
        case kAudioFFmpegMulaw:
            *out = new (std::nothrow) ACodec_FFMpeg_Core();
            return true;
        case kAudioG723:
            *out = new (std::nothrow) CG723Coder();
            return true;
        case kAudioAdpcm:
            *out = new (std::nothrow) CAdpcmDecoder();
            return true;
        case kAudioAdpcmHi:
            *out = new (std::nothrow) ACodecAdpcmHi();
            return true;
        case kAudioG711Alaw:
            *out = new (std::nothrow) ACodecG711Alaw();
            return true;
        case kAudioG711Ulaw:
            *out = new (std::nothrow) ACodecG711Ulaw();
            return true;
        default:
            return false;
    }
}
