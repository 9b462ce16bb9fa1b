#pragma once

// Owning handles for the FFmpeg objects an export writes with, beside those
// of codecs/FFmpegHandles.h.
//
// Threading: plain owners; each belongs to one thread at a time.

#include <memory>
#include <string>

struct AVCodecContext;
struct AVDictionary;
struct AVFormatContext;

namespace exporting {

// An output format context: closes its file (when it opened one) and frees
// the context.
struct OutputContextDeleter {
    void operator()(AVFormatContext* context) const;
};
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;

// An option dictionary, freed with av_dict_free.
class Dictionary {
public:
    Dictionary() = default;
    ~Dictionary();
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    void set(const char* key, const std::string& value);
    AVDictionary** address() { return &dict_; }
    AVDictionary* get() const { return dict_; }

private:
    AVDictionary* dict_ = nullptr;
};

// FFmpeg's text for an error code.
std::string ffmpegError(int code);

// Opens an MP4 file for writing at `path`; false with *error naming
// `shownPath` (the name the user chose) and the reason.
bool openMp4(const std::string& path, const std::string& shownPath, OutputContextPtr* out,
             std::string* error);

}  // namespace exporting
