#include "codecs/ACodec_FFMpeg_Core.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

bool ACodec_FFMpeg_Core::open(int /*kind*/, int /*param1*/, int param2, int param3) {
    close();
    const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_PCM_MULAW);
    if (decoder == nullptr) {
        return false;
    }
    m_context.reset(avcodec_alloc_context3(decoder));
    if (!m_context) {
        return false;
    }
    m_context->bit_rate = 640000;
    m_context->sample_rate = param2;
    av_channel_layout_default(&m_context->ch_layout, param3);
    if (avcodec_open2(m_context.get(), decoder, nullptr) < 0) {
        close();
        return false;
    }
    m_packet.reset(av_packet_alloc());
    m_frame.reset(av_frame_alloc());
    m_spare.reset(av_frame_alloc());
    if (!m_packet || !m_frame || !m_spare) {
        close();
        return false;
    }
    return true;
}

bool ACodec_FFMpeg_Core::decode(AudioDecodeBuffer* buffer) {
    if (buffer == nullptr || !m_context) {
        return false;
    }
    buffer->output = nullptr;
    buffer->outputSize = 0;
    buffer->gotFrame = 0;
    // An empty packet would put the decoder into draining mode for good, so it
    // is answered as "nothing decoded" without reaching FFmpeg.
    if (buffer->input == nullptr || buffer->inputSize <= 0) {
        return true;
    }

    m_packet->data = const_cast<std::uint8_t*>(buffer->input);
    m_packet->size = buffer->inputSize;
    const int sent = avcodec_send_packet(m_context.get(), m_packet.get());
    m_packet->data = nullptr;
    m_packet->size = 0;
    if (sent < 0) {
        return true;
    }
    if (avcodec_receive_frame(m_context.get(), m_frame.get()) < 0) {
        return true;
    }
    // PCM gives one frame per packet; anything more is drained so that the
    // next packet is accepted.
    while (avcodec_receive_frame(m_context.get(), m_spare.get()) == 0) {
    }

    const int bytes = av_samples_get_buffer_size(nullptr, m_context->ch_layout.nb_channels,
                                                 m_frame->nb_samples, m_context->sample_fmt, 1);
    if (bytes > 0) {
        buffer->output = m_frame->data[0];
        buffer->outputSize = bytes;
        buffer->gotFrame = 1;
    }
    return true;
}

bool ACodec_FFMpeg_Core::encode(AudioDecodeBuffer* /*buffer*/) {
    return true;
}

bool ACodec_FFMpeg_Core::close() {
    m_context.reset();
    m_packet.reset();
    m_frame.reset();
    m_spare.reset();
    return true;
}
