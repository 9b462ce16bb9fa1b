#include "codecs/VCodec_FFMpeg_Core.h"

#include <new>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

extern "C" bool CreateVCodec(void** out, int kind) {
    if (out == nullptr || kind != 0) {
        return false;
    }
    IEngineObject* codec = new (std::nothrow) VCodec_FFMpeg_Core();
    *out = codec;
    return true;
}

extern "C" bool DestroyVCodec(void** p) {
    if (p != nullptr && *p != nullptr) {
        delete static_cast<IEngineObject*>(*p);
    }
    return true;
}

VCodec_FFMpeg_Core::~VCodec_FFMpeg_Core() {
    release();
}

bool VCodec_FFMpeg_Core::openByKind(int kind) {
    release();
    if (kind != 0) {
        return false;
    }
    m_decoder = avcodec_find_decoder(AV_CODEC_ID_H264);
    if (m_decoder == nullptr) {
        return false;
    }
    m_context.reset(avcodec_alloc_context3(m_decoder));
    if (!m_context) {
        return false;
    }
    return openContext();
}

bool VCodec_FFMpeg_Core::openWithContext(AVCodecContext* context) {
    release();
    if (context == nullptr) {
        return false;
    }
    m_decoder = avcodec_find_decoder(context->codec_id);
    if (m_decoder == nullptr) {
        return false;
    }
    // The given context travels with every copy of a packet, so it cannot
    // belong to any one decoder: copy what describes the stream instead.
    korvel::ffmpeg::CodecParametersPtr parameters(avcodec_parameters_alloc());
    m_context.reset(avcodec_alloc_context3(m_decoder));
    if (!parameters || !m_context ||
        avcodec_parameters_from_context(parameters.get(), context) < 0 ||
        avcodec_parameters_to_context(m_context.get(), parameters.get()) < 0) {
        return false;
    }
    return openContext();
}

bool VCodec_FFMpeg_Core::openContext() {
    // One packet in, its picture out: no frame threading and no reordering
    // delay, so a picture is never held back waiting for the next packet.
    m_context->flags |= AV_CODEC_FLAG_LOW_DELAY;
    m_context->thread_count = 1;
    if (avcodec_open2(m_context.get(), m_decoder, nullptr) < 0) {
        return false;
    }
    m_packet.reset(av_packet_alloc());
    m_decoded.reset(av_frame_alloc());
    m_received.reset(av_frame_alloc());
    return m_packet && m_decoded && m_received;
}

bool VCodec_FFMpeg_Core::decode(VideoDecodeBuffer* buffer) {
    if (buffer == nullptr || m_decoder == nullptr || !m_context || !m_packet || !m_decoded ||
        !m_received) {
        return false;
    }

    int result = 0;
    bool gotPicture = false;
    if (buffer->data != nullptr && buffer->size > 0) {
        // The packet does not own the caller's bytes; FFmpeg copies them into a
        // padded buffer of its own before decoding.
        m_packet->data = const_cast<std::uint8_t*>(buffer->data);
        m_packet->size = buffer->size;
        result = avcodec_send_packet(m_context.get(), m_packet.get());
        m_packet->data = nullptr;
        m_packet->size = 0;
        if (result >= 0) {
            result = buffer->size;
            for (;;) {
                const int received = avcodec_receive_frame(m_context.get(), m_received.get());
                if (received < 0) {
                    if (!gotPicture && received != AVERROR(EAGAIN) && received != AVERROR_EOF) {
                        result = received;
                    }
                    break;
                }
                // A packet normally yields one picture; should it yield more, the
                // newest one is the one shown.
                av_frame_unref(m_decoded.get());
                av_frame_move_ref(m_decoded.get(), m_received.get());
                gotPicture = true;
            }
        }
    }

    if (result < 1 || !gotPicture || m_decoded->width <= 0 || m_decoded->height <= 0 ||
        !convert(buffer)) {
        buffer->width = 0;
        buffer->height = 0;
        buffer->heightCopy = 0;
        buffer->gotPicture = 0;
    }
    buffer->result = result;
    return true;
}

bool VCodec_FFMpeg_Core::convert(VideoDecodeBuffer* buffer) {
    const AVFrame& frame = *m_decoded;
    if (buffer->wanted == PICTURE_YUV420 &&
        (frame.format == AV_PIX_FMT_YUV420P || frame.format == AV_PIX_FMT_YUVJ420P)) {
        buffer->format = PICTURE_YUV420;
        buffer->fullRange =
            frame.format == AV_PIX_FMT_YUVJ420P || frame.color_range == AVCOL_RANGE_JPEG;
        buffer->width = frame.width;
        buffer->height = frame.height;
        buffer->heightCopy = frame.height;
        buffer->gotPicture = 1;
        // A new reference to the same buffers (no copy): they stay the
        // consumer's for as long as it holds the reference, while the decoder
        // decodes on into other buffers of its pool.
        AVFrame* reference = av_frame_clone(&frame);
        if (reference == nullptr) {
            return false;
        }
        buffer->keep = std::shared_ptr<const void>(reference, [](const void* p) {
            AVFrame* f = static_cast<AVFrame*>(const_cast<void*>(p));
            av_frame_free(&f);
        });
        for (int i = 0; i < 3; ++i) {
            buffer->planes[i] = reference->data[i];
            buffer->lineSizes[i] = reference->linesize[i];
        }
        return true;
    }
    if (frame.width != m_width || frame.height != m_height) {
        m_scaler.reset();
        m_rgba.reset();
        m_width = -1;
        m_height = -1;
        const int bytes = av_image_get_buffer_size(AV_PIX_FMT_RGBA, frame.width, frame.height, 1);
        if (bytes <= 0) {
            return false;
        }
        m_rgba.reset(static_cast<unsigned char*>(av_malloc(static_cast<size_t>(bytes))));
        if (!m_rgba || av_image_fill_arrays(m_rgbaPlanes, m_rgbaLineSizes, m_rgba.get(),
                                            AV_PIX_FMT_RGBA, frame.width, frame.height, 1) < 0) {
            m_rgba.reset();
            return false;
        }
        m_width = frame.width;
        m_height = frame.height;
    }
    if (frame.format != m_sourceFormat) {
        m_scaler.reset();
    }
    if (!m_scaler) {
        // Same size in and out: a pure pixel-format conversion, so the fastest
        // filter loses nothing.
        m_scaler.reset(sws_getContext(m_width, m_height, static_cast<AVPixelFormat>(frame.format),
                                      m_width, m_height, AV_PIX_FMT_RGBA, SWS_FAST_BILINEAR,
                                      nullptr, nullptr, nullptr));
        if (!m_scaler) {
            return false;
        }
        m_sourceFormat = frame.format;
    }
    if (sws_scale(m_scaler.get(), frame.data, frame.linesize, 0, m_height, m_rgbaPlanes,
                  m_rgbaLineSizes) != m_height) {
        return false;
    }

    buffer->format = PICTURE_RGBA;
    buffer->fullRange = false;
    buffer->keep.reset();
    buffer->width = m_width;
    buffer->height = m_height;
    buffer->heightCopy = m_height;
    buffer->gotPicture = 1;
    for (int i = 0; i < 3; ++i) {
        buffer->planes[i] = m_rgbaPlanes[i];
        buffer->lineSizes[i] = m_rgbaLineSizes[i];
    }
    return true;
}

bool VCodec_FFMpeg_Core::close() {
    release();
    return true;
}

void VCodec_FFMpeg_Core::release() {
    m_context.reset();
    m_decoder = nullptr;
    m_packet.reset();
    m_decoded.reset();
    m_received.reset();
    m_scaler.reset();
    m_rgba.reset();
    for (int i = 0; i < 4; ++i) {
        m_rgbaPlanes[i] = nullptr;
        m_rgbaLineSizes[i] = 0;
    }
    m_width = -1;
    m_height = -1;
    m_sourceFormat = -1;
}
