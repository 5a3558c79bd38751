#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

bool IsValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const uint8_t c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;  // stray continuation byte, C0/C1 lead, or F5..FF
        }
        if (n - i < len) return false;
        for (size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)) return false;  // overlong
        if (cp >= 0xD800 && cp <= 0xDFFF) return false;                          // surrogate
        if (cp > 0x10FFFF) return false;
        i += len;
    }
    return true;
}

namespace {

// The one Windows-1251 byte that has no character (0x98) is not accepted by
// iconv; it becomes U+FFFD so that a stray byte never blanks a whole text.
constexpr const char kReplacement[] = "\xEF\xBF\xBD";

struct Converter {
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1251");
    Converter() = default;
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
};

}  // namespace

std::string Cp1251ToUtf8(std::string_view text) {
    if (IsValidUtf8(text)) return std::string(text);

    // Every drawn Russian text comes through here on every frame, so each
    // thread keeps one descriptor open instead of opening one per call.
    thread_local Converter converter;
    iconv_t cd = converter.cd;
    std::string out;
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter at all: keep ASCII, mark the rest, never return bytes
        // that ImGui would misread.
        for (char c : text) {
            if (static_cast<unsigned char>(c) < 0x80) out += c;
            else out += kReplacement;
        }
        return out;
    }
    out.reserve(text.size() * 2);
    char* in = const_cast<char*>(text.data());
    size_t in_left = text.size();
    char buf[1024];
    while (in_left > 0) {
        char* dst = buf;
        size_t dst_left = sizeof buf;
        const size_t r = iconv(cd, &in, &in_left, &dst, &dst_left);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // EILSEQ/EINVAL: skip the byte that has no mapping.
            out += kReplacement;
            ++in;
            --in_left;
        }
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    return out;
}
