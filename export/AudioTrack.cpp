#include "export/AudioTrack.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include "codecs/ACodec.h"
#include "export/MuxHandles.h"
#include "export/StagedFile.h"

namespace exporting {

namespace {

// Drift between the blocks' time stamps and the placed audio that is left
// alone; more is mended with silence or by dropping samples.
constexpr std::int64_t kToleranceMs = 100;

}  // namespace

AudioTrack::AudioTrack() = default;
AudioTrack::~AudioTrack() = default;

bool AudioTrack::canDecode(int codecKind) {
    switch (codecKind) {
        case kAudioFFmpegMulaw:
        case kAudioAdpcm:
        case kAudioAdpcmHi:
        case kAudioG711Alaw:
        case kAudioG711Ulaw:
            return true;
        default:
            return false;
    }
}

bool AudioTrack::open(AVFormatContext* muxer, int sampleRate, std::int64_t originMs,
                      std::int64_t endMs, const std::string& shownPath, std::string* error) {
    muxer_ = muxer;
    shownPath_ = shownPath;
    sampleRate_ = sampleRate;
    originMs_ = originMs;
    endSample_ = (endMs - originMs) * sampleRate / 1000;
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (codec == nullptr) {
        *error = "FFmpeg has no AAC encoder";
        return false;
    }
    encoder_.reset(avcodec_alloc_context3(codec));
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!encoder_ || !frame_ || !packet_) {
        *error = "Out of memory for the audio encoder";
        return false;
    }
    AVCodecContext* c = encoder_.get();
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->sample_rate = sampleRate;
    av_channel_layout_default(&c->ch_layout, 1);
    // Speech from one microphone: 4 bits a sample is transparent for it, and
    // the encoder takes at most 6 at low rates.
    c->bit_rate = std::min<std::int64_t>(96000, 4LL * sampleRate);
    c->time_base = AVRational{1, sampleRate};
    if ((muxer->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    int rc = avcodec_open2(c, codec, nullptr);
    if (rc < 0) {
        *error = "Cannot encode audio at " + std::to_string(sampleRate) +
                 " Hz as AAC: " + ffmpegError(rc);
        return false;
    }
    stream_ = avformat_new_stream(muxer, nullptr);
    if (stream_ == nullptr) {
        *error = "Out of memory for the audio stream";
        return false;
    }
    rc = avcodec_parameters_from_context(stream_->codecpar, c);
    if (rc < 0) {
        *error = "Cannot describe the audio stream: " + ffmpegError(rc);
        return false;
    }
    stream_->time_base = c->time_base;
    nextSample_ = -1;
    framePts_ = 0;
    pending_.clear();
    return true;
}

bool AudioTrack::decode(const READASTREAM& block, std::vector<std::int16_t>* pcm) {
    if (!canDecode(block.codecKind) || block.data == nullptr || block.size <= 0) {
        return false;
    }
    if (!decoder_ || decoderKind_ != block.codecKind || decoderParams_[0] != block.param1 ||
        decoderParams_[1] != block.param2 || decoderParams_[2] != block.param3) {
        decoder_.reset();
        IACodec* made = nullptr;
        if (!CreateACodec(&made, block.codecKind) || made == nullptr) {
            return false;
        }
        decoder_.reset(made);
        if (!decoder_->open(block.codecKind, block.param1, block.param2, block.param3)) {
            decoder_.reset();
            return false;
        }
        decoderKind_ = block.codecKind;
        decoderParams_[0] = block.param1;
        decoderParams_[1] = block.param2;
        decoderParams_[2] = block.param3;
    }
    AudioDecodeBuffer buffer;
    buffer.input = block.data.get();
    buffer.inputSize = block.size;
    if (!decoder_->decode(&buffer) || buffer.output == nullptr || buffer.outputSize <= 0) {
        return false;
    }
    pcm->resize(static_cast<std::size_t>(buffer.outputSize) / 2);
    std::memcpy(pcm->data(), buffer.output, pcm->size() * 2);
    return true;
}

bool AudioTrack::add(const READASTREAM& block, std::int64_t blockMs, std::string* error) {
    if (!encoder_ || block.param2 != sampleRate_) {
        return true;
    }
    std::vector<std::int16_t> pcm;
    if (!decode(block, &pcm) || pcm.empty()) {
        return true;
    }
    const std::int64_t at = (blockMs - originMs_) * sampleRate_ / 1000;
    return place(pcm.data(), static_cast<std::int64_t>(pcm.size()), at, error);
}

bool AudioTrack::place(const std::int16_t* samples, std::int64_t count, std::int64_t at,
                       std::string* error) {
    const std::int64_t tolerance = kToleranceMs * sampleRate_ / 1000;
    std::int64_t skip = 0;
    std::int64_t silence = 0;
    if (nextSample_ < 0) {
        // The first block: silence from the origin up to it, or its part
        // before the origin left out.
        nextSample_ = 0;
        if (at >= 0) {
            silence = at;
        } else {
            skip = -at;
        }
    } else {
        const std::int64_t drift = at - nextSample_;
        if (drift > tolerance) {
            silence = drift;
        } else if (drift < -tolerance) {
            skip = -drift;
        }
    }
    silence = std::min(silence, std::max<std::int64_t>(0, endSample_ - nextSample_));
    pending_.insert(pending_.end(), static_cast<std::size_t>(silence), 0.0f);
    nextSample_ += silence;
    const std::int64_t room = std::max<std::int64_t>(0, endSample_ - nextSample_);
    const std::int64_t take = std::min(std::max<std::int64_t>(0, count - skip), room);
    for (std::int64_t i = 0; i < take; ++i) {
        pending_.push_back(static_cast<float>(samples[skip + i]) / 32768.0f);
    }
    nextSample_ += take;
    return encodeFrames(false, error);
}

bool AudioTrack::encodeFrames(bool flush, std::string* error) {
    AVCodecContext* c = encoder_.get();
    const std::size_t frameSize = c->frame_size > 0 ? static_cast<std::size_t>(c->frame_size) : 1024;
    std::size_t used = 0;
    while (pending_.size() - used >= frameSize || (flush && pending_.size() > used)) {
        const std::size_t n = std::min(frameSize, pending_.size() - used);
        av_frame_unref(frame_.get());
        frame_->format = c->sample_fmt;
        frame_->sample_rate = c->sample_rate;
        frame_->nb_samples = static_cast<int>(n);
        av_channel_layout_copy(&frame_->ch_layout, &c->ch_layout);
        int rc = av_frame_get_buffer(frame_.get(), 0);
        if (rc < 0) {
            *error = "Out of memory for audio: " + ffmpegError(rc);
            return false;
        }
        std::memcpy(frame_->data[0], pending_.data() + used, n * sizeof(float));
        frame_->pts = framePts_;
        framePts_ += static_cast<std::int64_t>(n);
        used += n;
        rc = avcodec_send_frame(c, frame_.get());
        if (rc < 0) {
            *error = "Audio encoding failed: " + ffmpegError(rc);
            return false;
        }
        if (!drain(error)) {
            return false;
        }
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
    return true;
}

bool AudioTrack::drain(std::string* error) {
    for (;;) {
        const int rc = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) {
            return true;
        }
        if (rc < 0) {
            *error = "Audio encoding failed: " + ffmpegError(rc);
            return false;
        }
        packet_->stream_index = stream_->index;
        av_packet_rescale_ts(packet_.get(), encoder_->time_base, stream_->time_base);
        const int written = av_interleaved_write_frame(muxer_, packet_.get());
        if (written < 0) {
            *error = StagedFile::writeError(shownPath_, ffmpegError(written));
            return false;
        }
    }
}

bool AudioTrack::finish(std::string* error) {
    if (!encoder_) {
        return true;
    }
    if (!encodeFrames(true, error)) {
        return false;
    }
    const int rc = avcodec_send_frame(encoder_.get(), nullptr);
    if (rc < 0 && rc != AVERROR_EOF) {
        *error = "Audio encoding failed: " + ffmpegError(rc);
        return false;
    }
    return drain(error);
}

}  // namespace exporting
