#include "export/MuxHandles.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
}

#include "export/StagedFile.h"

namespace exporting {

void OutputContextDeleter::operator()(AVFormatContext* context) const {
    if (context == nullptr) {
        return;
    }
    if (context->oformat != nullptr && (context->oformat->flags & AVFMT_NOFILE) == 0) {
        avio_closep(&context->pb);
    }
    avformat_free_context(context);
}

Dictionary::~Dictionary() {
    av_dict_free(&dict_);
}

void Dictionary::set(const char* key, const std::string& value) {
    av_dict_set(&dict_, key, value.c_str(), 0);
}

std::string ffmpegError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(code, buf, sizeof buf);
    return buf;
}

bool openMp4(const std::string& path, const std::string& shownPath, OutputContextPtr* out,
             std::string* error) {
    AVFormatContext* raw = nullptr;
    const int rc = avformat_alloc_output_context2(&raw, nullptr, "mp4", path.c_str());
    OutputContextPtr context(raw);
    if (rc < 0 || !context) {
        *error = "Cannot make an MP4 file: " + ffmpegError(rc);
        return false;
    }
    const int opened = avio_open(&context->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (opened < 0) {
        *error = StagedFile::writeError(shownPath, ffmpegError(opened));
        return false;
    }
    *out = std::move(context);
    return true;
}

}  // namespace exporting
