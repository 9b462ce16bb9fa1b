#include "VideoEncoder.h"

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

namespace mkcard {

void CodecContextDeleter::operator()(AVCodecContext* c) const {
    avcodec_free_context(&c);
}
void FrameDeleter::operator()(AVFrame* f) const {
    av_frame_free(&f);
}
void PacketDeleter::operator()(AVPacket* p) const {
    av_packet_free(&p);
}

std::string ffmpegError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(code, buf, sizeof buf);
    return buf;
}

int64_t recorderBitRate(int width, int height, int fps) {
    const double area = static_cast<double>(width) * height / (1920.0 * 1080.0);
    return static_cast<int64_t>(8e6 * area * std::sqrt(fps / 30.0));
}

bool H264Encoder::open(int width, int height, int fps, EncoderSettings settings,
                       std::string* error) {
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr) {
        *error = "FFmpeg has no libx264 encoder";
        return false;
    }
    context_.reset(avcodec_alloc_context3(codec));
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!context_ || !frame_ || !packet_) {
        *error = "out of memory for the video encoder";
        return false;
    }
    AVCodecContext* c = context_.get();
    c->width = width;
    c->height = height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, fps};
    c->framerate = AVRational{fps, 1};
    c->gop_size = fps;
    c->keyint_min = fps;
    c->max_b_frames = 0;
    c->thread_count = 1;
    if (settings == EncoderSettings::Recorder) {
        const int64_t rate = recorderBitRate(width, height, fps);
        c->rc_max_rate = rate;
        c->rc_buffer_size = static_cast<int>(rate);  // one second
        c->refs = 1;
        av_opt_set(c->priv_data, "preset", "superfast", 0);
        av_opt_set(c->priv_data, "tune", "zerolatency", 0);
        av_opt_set(c->priv_data, "crf", "23", 0);
    } else {
        av_opt_set(c->priv_data, "preset", "ultrafast", 0);
        av_opt_set(c->priv_data, "tune", "zerolatency", 0);
        av_opt_set(c->priv_data, "crf", "26", 0);
    }
    av_opt_set(c->priv_data, "forced-idr", "1", 0);
    av_opt_set(c->priv_data, "x264-params", "scenecut=0:repeat-headers=1:annexb=1:aud=0:log=-1", 0);
    int rc = avcodec_open2(c, codec, nullptr);
    if (rc < 0) {
        *error = "cannot open libx264: " + ffmpegError(rc);
        return false;
    }
    frame_->format = AV_PIX_FMT_YUV420P;
    frame_->width = width;
    frame_->height = height;
    rc = av_frame_get_buffer(frame_.get(), 0);
    if (rc < 0) {
        *error = "cannot allocate a picture: " + ffmpegError(rc);
        return false;
    }
    return true;
}

bool H264Encoder::picture(YuvPicture* out, std::string* error) {
    const int rc = av_frame_make_writable(frame_.get());
    if (rc < 0) {
        *error = "cannot get a writable picture: " + ffmpegError(rc);
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        out->plane[i] = frame_->data[i];
        out->stride[i] = frame_->linesize[i];
    }
    out->width = frame_->width;
    out->height = frame_->height;
    return true;
}

bool H264Encoder::encode(int64_t pts, std::vector<uint8_t>* unit, bool* key, std::string* error) {
    frame_->pts = pts;
    // The gop settings place the IDR pictures; forcing them here keeps every
    // second's first picture a key frame even if x264 would decide otherwise.
    frame_->pict_type = pts % context_->gop_size == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    frame_->key_frame = pts % context_->gop_size == 0 ? 1 : 0;
    int rc = avcodec_send_frame(context_.get(), frame_.get());
    if (rc < 0) {
        *error = "video encoding failed: " + ffmpegError(rc);
        return false;
    }
    rc = avcodec_receive_packet(context_.get(), packet_.get());
    if (rc < 0) {
        *error = rc == AVERROR(EAGAIN) ? "the video encoder held a picture back"
                                       : "video encoding failed: " + ffmpegError(rc);
        return false;
    }
    unit->assign(packet_->data, packet_->data + packet_->size);
    *key = (packet_->flags & AV_PKT_FLAG_KEY) != 0;
    av_packet_unref(packet_.get());
    return true;
}

}  // namespace mkcard
