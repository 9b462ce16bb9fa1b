#pragma once

// The audio of an exported file: the recording's audio blocks decoded with the
// viewer's own audio decoders (G.711 mu-law and A-law, IMA ADPCM) into 16-bit
// mono PCM, and encoded to AAC-LC with libavcodec's encoder at the recording's
// sample rate, into one stream of an output file.
//
// Blocks are placed by their time stamps: a gap of more than 100 ms between
// the blocks is filled with silence and blocks that overlap the audio already
// placed by more than that lose the overlapping part, so that the sound stays
// with the pictures across recording files and interruptions. Samples before
// the output's origin or at and after its end are left out.
//
// Threading: one owner thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codecs/FFmpegHandles.h"
#include "core/Records.h"

struct AVFormatContext;
struct AVStream;
class IACodec;

namespace exporting {

class AudioTrack {
public:
    AudioTrack();
    ~AudioTrack();
    AudioTrack(const AudioTrack&) = delete;
    AudioTrack& operator=(const AudioTrack&) = delete;

    // Whether the viewer has a decoder for an audio codec kind of the
    // recordings (see codecs/ACodec.h).
    static bool canDecode(int codecKind);

    // Adds an AAC stream for mono audio at `sampleRate` Hz to `muxer`, before
    // its header is written. The output's time 0 is `originMs` (ms from the
    // day's midnight); audio stops at `endMs`. Messages name `shownPath`.
    bool open(AVFormatContext* muxer, int sampleRate, std::int64_t originMs, std::int64_t endMs,
              const std::string& shownPath, std::string* error);
    AVStream* stream() const { return stream_; }

    // Decodes one block recorded at `blockMs` (ms from the day's midnight)
    // and writes the AAC packets that are complete. Blocks of another sample
    // rate than the track's, and blocks no decoder takes, are passed over.
    bool add(const READASTREAM& block, std::int64_t blockMs, std::string* error);
    // Encodes and writes what is left. Call once, before the trailer.
    bool finish(std::string* error);

private:
    bool decode(const READASTREAM& block, std::vector<std::int16_t>* pcm);
    bool place(const std::int16_t* samples, std::int64_t count, std::int64_t at,
               std::string* error);
    bool encodeFrames(bool flush, std::string* error);
    bool drain(std::string* error);

    AVFormatContext* muxer_ = nullptr;
    AVStream* stream_ = nullptr;
    korvel::ffmpeg::CodecContextPtr encoder_;
    korvel::ffmpeg::FramePtr frame_;
    korvel::ffmpeg::PacketPtr packet_;
    std::unique_ptr<IACodec> decoder_;
    int decoderKind_ = -1;
    int decoderParams_[3] = {0, 0, 0};
    int sampleRate_ = 0;
    std::int64_t originMs_ = 0;
    std::int64_t endSample_ = 0;   // first sample not exported
    std::int64_t nextSample_ = -1; // where the next placed sample goes; -1 before the first
    std::int64_t framePts_ = 0;    // first sample of the pending samples
    std::vector<float> pending_;   // samples not yet encoded
    std::string shownPath_;
};

}  // namespace exporting
