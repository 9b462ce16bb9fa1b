#include "Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace probe {

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0 when the byte there does
// not start one (overlong forms, surrogates and values above U+10FFFF are
// not valid).
std::size_t utf8Length(const std::string& s, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = at(i);
    std::size_t n = 0;
    unsigned lowest = 0;
    unsigned cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1Fu;
        lowest = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0Fu;
        lowest = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07u;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (s.size() - i < n) {
        return 0;
    }
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char b = at(i + k);
        if ((b & 0xC0u) != 0x80u) {
            return 0;
        }
        cp = (cp << 6) | (b & 0x3Fu);
    }
    if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return n;
}

void appendEscaped(std::string& out, unsigned char c) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\u%04x", c);
    out += hex;
}

template <typename T>
std::string shortest(T value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    char buf[64];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

}  // namespace

std::string jsonString(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            switch (c) {
                case '"':
                    out += "\\\"";
                    break;
                case '\\':
                    out += "\\\\";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    if (c < 0x20 || c == 0x7F) {
                        appendEscaped(out, c);
                    } else {
                        out += static_cast<char>(c);
                    }
            }
            ++i;
            continue;
        }
        const std::size_t n = utf8Length(bytes, i);
        if (n == 0) {
            appendEscaped(out, c);
            ++i;
        } else {
            out.append(bytes, i, n);
            i += n;
        }
    }
    out += '"';
    return out;
}

std::string jsonNumber(double value) {
    return shortest(value);
}

std::string jsonNumber(float value) {
    return shortest(value);
}

void JsonObject::key(const char* name) {
    if (!body_.empty()) {
        body_ += ',';
    }
    body_ += jsonString(name);
    body_ += ':';
}

JsonObject& JsonObject::integer(const char* name, std::int64_t value) {
    key(name);
    body_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::real(const char* name, double value) {
    key(name);
    body_ += jsonNumber(value);
    return *this;
}

JsonObject& JsonObject::real(const char* name, float value) {
    key(name);
    body_ += jsonNumber(value);
    return *this;
}

JsonObject& JsonObject::boolean(const char* name, bool value) {
    key(name);
    body_ += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::text(const char* name, const std::string& value) {
    key(name);
    body_ += jsonString(value);
    return *this;
}

JsonObject& JsonObject::null(const char* name) {
    key(name);
    body_ += "null";
    return *this;
}

JsonObject& JsonObject::merge(const JsonObject& other) {
    if (!body_.empty() && !other.body_.empty()) {
        body_ += ',';
    }
    body_ += other.body_;
    return *this;
}

JsonObject& JsonObject::raw(const char* name, const std::string& json) {
    key(name);
    body_ += json;
    return *this;
}

}  // namespace probe
