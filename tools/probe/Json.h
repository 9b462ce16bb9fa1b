#pragma once

// One JSON object on one line, built field by field. Strings are taken as
// bytes: valid UTF-8 passes through, control characters and quotes are
// escaped, and every byte that is not part of a valid UTF-8 sequence becomes
// \u00XX (its Latin-1 reading), so any title gives valid JSON.
//
// Threading: plain values.

#include <cstdint>
#include <string>

namespace probe {

// `bytes` as a quoted JSON string.
std::string jsonString(const std::string& bytes);

// Shortest text that reads back as the same number; "null" for infinities
// and NaN, which JSON cannot carry.
std::string jsonNumber(double value);
std::string jsonNumber(float value);

class JsonObject {
public:
    JsonObject& integer(const char* key, std::int64_t value);
    JsonObject& real(const char* key, double value);
    JsonObject& real(const char* key, float value);
    JsonObject& boolean(const char* key, bool value);
    JsonObject& text(const char* key, const std::string& value);
    JsonObject& null(const char* key);
    // `json` must already be valid JSON.
    JsonObject& raw(const char* key, const std::string& json);

    // Appends the fields of `other` after these.
    JsonObject& merge(const JsonObject& other);

    // "{...}" without a line end.
    std::string str() const { return "{" + body_ + "}"; }

private:
    void key(const char* name);
    std::string body_;
};

}  // namespace probe
