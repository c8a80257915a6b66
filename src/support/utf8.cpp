#include "support/utf8.h"

#include <cstdint>

namespace {
void Put(ByteString& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void PutUtf16(WideString& out, uint32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}
}  // namespace

ByteString EncodeUtf8(std::u16string_view text) {
    ByteString out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            Put(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            Put(out, 0xFFFD);
        } else {
            Put(out, unit);
        }
    }
    return out;
}

WideString DecodeUtf8(std::string_view text) {
    WideString out;
    out.Reserve(static_cast<int32_t>(text.size() < 0x7FFFFFFE ? text.size() : 0));
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80           ? 0
                          : (lead >> 5) == 0x06 ? 1
                          : (lead >> 4) == 0x0E ? 2
                          : (lead >> 3) == 0x1E ? 3
                                                : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= text.size()) {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? lead : (lead & (0x3F >> extra));
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        PutUtf16(out, cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

WideString DecodeModifiedUtf8(std::string_view text) {
    WideString out;
    out.Reserve(static_cast<int32_t>(text.size() < 0x7FFFFFFE ? text.size() : 0));
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto at = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
        const auto continuation = [&](size_t k) {
            return i + k < text.size() && (at(k) & 0xC0) == 0x80;
        };
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            i += 1;
        } else if ((lead >> 5) == 0x06 && continuation(1)) {
            out += static_cast<char16_t>(((lead & 0x1F) << 6) | (at(1) & 0x3F));
            i += 2;
        } else if ((lead >> 4) == 0x0E && continuation(1) && continuation(2)) {
            // Surrogates stay separate units: that is how the VM encodes a pair.
            out += static_cast<char16_t>(((lead & 0x0F) << 12) | ((at(1) & 0x3F) << 6) |
                                         (at(2) & 0x3F));
            i += 3;
        } else {
            out += u'\xFFFD';
            i += 1;
        }
    }
    return out;
}
