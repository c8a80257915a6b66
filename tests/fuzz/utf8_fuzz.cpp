// libFuzzer target for the UTF-8 decoders: DecodeUtf8 (release files and the native build's
// narrow text) and DecodeModifiedUtf8 (strings from the VM), over any bytes, and EncodeUtf8 over
// the input read as UTF-16LE. Decoding never invents or swallows ASCII, its output is well-formed
// UTF-16, and well-formed text survives the round trip.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "support/utf8.h"

namespace {
bool IsHigh(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::string Ascii(std::string_view bytes) {
    std::string ascii;
    for (char byte : bytes)
        if (static_cast<unsigned char>(byte) < 0x80) ascii.push_back(byte);
    return ascii;
}
std::string Ascii(const std::u16string& units) {
    std::string ascii;
    for (char16_t unit : units)
        if (unit < 0x80) ascii.push_back(static_cast<char>(unit));
    return ascii;
}

// Lone surrogates made U+FFFD, pairs kept: what UTF-8 can carry of UTF-16 text.
std::u16string WellFormed(const std::u16string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
            out.push_back(text[i]);
            out.push_back(text[++i]);
        } else {
            out.push_back(IsHigh(text[i]) || IsLow(text[i]) ? u'\xFFFD' : text[i]);
        }
    }
    return out;
}

// The VM's modified UTF-8: every unit on its own in one to three bytes, zero as C0 80.
std::string Modified(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) {
        if (unit != 0 && unit < 0x80) {
            out.push_back(static_cast<char>(unit));
        } else if (unit < 0x800) {
            out.push_back(static_cast<char>(0xC0 | unit >> 6));
            out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | unit >> 12));
            out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
        }
    }
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const std::u16string decoded = DecodeUtf8(bytes).Std();
    Check(decoded.size() <= bytes.size(), "never more units than bytes");
    Check(Ascii(decoded) == Ascii(bytes), "ASCII comes through, and only from ASCII");
    Check(WellFormed(decoded) == decoded, "decoded text is well-formed UTF-16");
    const ByteString encoded = EncodeUtf8(decoded);
    Check(DecodeUtf8(std::string_view(encoded.data(), encoded.size())).Std() == decoded,
          "decoded text survives the round trip");
    if (decoded.find(u'\xFFFD') == std::u16string::npos)
        Check(std::string_view(encoded.data(), encoded.size()) == bytes, "valid UTF-8 encodes back");

    const std::u16string modified = DecodeModifiedUtf8(bytes).Std();
    Check(modified.size() <= bytes.size(), "modified: never more units than bytes");
    // The VM's decoder is lenient (it reads overlong forms, C0 80 among them), but it never
    // swallows an ASCII byte into a sequence.
    const std::string wanted = Ascii(bytes), got = Ascii(modified);
    size_t next = 0;
    for (char byte : got)
        if (next < wanted.size() && byte == wanted[next]) ++next;
    Check(next == wanted.size(), "modified: every ASCII byte comes through");

    // The input as UTF-16 text, encoded both ways and decoded again.
    const std::u16string text = FuzzInput(data, size).Utf16();
    const ByteString utf8 = EncodeUtf8(text);
    Check(Ascii(std::string_view(utf8.data(), utf8.size())) == Ascii(text), "encoding keeps ASCII");
    Check(DecodeUtf8(std::string_view(utf8.data(), utf8.size())).Std() == WellFormed(text),
          "text survives UTF-8");
    Check(DecodeModifiedUtf8(Modified(text)).Std() == text, "any units survive modified UTF-8");
    // Standard UTF-8 of text without zero units and outside the supplementary planes is
    // modified UTF-8 too.
    if (text.find(u'\0') == std::u16string::npos && WellFormed(text) == text) {
        bool bmp = true;
        for (char16_t unit : text) bmp &= !IsHigh(unit);
        if (bmp) Check(DecodeModifiedUtf8(std::string_view(utf8.data(), utf8.size())).Std() == text,
                       "plain UTF-8 reads as modified UTF-8");
    }
    return 0;
}
