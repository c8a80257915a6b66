// libFuzzer target for the UTF-8 decoders: DecodeUtf8 (release files and the native build's
// narrow text) and DecodeModifiedUtf8 (strings from the VM), over any bytes, and EncodeUtf8 over
// the input read as UTF-16LE. Decoding never invents or swallows ASCII, and text survives the
// round trips.
#include "fuzz_support.h"
#include "support/utf8.h"

static std::u16string Ascii(const std::u16string& text) {
    std::u16string ascii;
    std::copy_if(text.begin(), text.end(), std::back_inserter(ascii), [](char16_t unit) { return unit < 0x80; });
    return ascii;
}

FUZZ_TARGET {
    // Bytes widened one by one (those from 0x80 up become units far above ASCII).
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string decoded = DecodeUtf8(bytes).Std(), ascii = Ascii(std::u16string(bytes.begin(), bytes.end()));
    const ByteString encoded = EncodeUtf8(decoded);
    const std::string_view again(encoded.data(), encoded.size());
    Check(decoded.size() <= bytes.size() && Ascii(decoded) == ascii, "never more units than bytes, ASCII only from ASCII");
    Check(DecodeUtf8(again).Std() == decoded && (decoded.find(u'\xFFFD') != kNone || again == bytes),
          "decoded text (well-formed UTF-16) survives the round trip; valid UTF-8 encodes back");
    // The VM's decoder is lenient (it reads overlong forms, C0 80 among them), but it never
    // swallows an ASCII byte into a sequence.
    const std::u16string modified = DecodeModifiedUtf8(bytes).Std();
    size_t next = 0;
    for (char16_t unit : Ascii(modified)) next += next < ascii.size() && unit == ascii[next];
    Check(modified.size() <= bytes.size() && next == ascii.size(), "modified: every ASCII byte comes through");

    // The input as UTF-16 text survives UTF-8 (a lone surrogate as U+FFFD); without surrogates
    // and zeros, its standard UTF-8 is modified UTF-8 too.
    const std::u16string text = FuzzInput{data, size}.Utf16();
    const ByteString utf8 = EncodeUtf8(text);
    const std::string_view view(utf8.data(), utf8.size());
    const std::u16string back = DecodeUtf8(view).Std();
    const bool plain = std::none_of(text.begin(), text.end(), [](char16_t unit) { return unit >= 0xD800 && unit < 0xE000; });
    Check(back.size() == text.size() && (!plain || back == text), "text survives UTF-8");
    Check(!plain || text.find(u'\0') != kNone || DecodeModifiedUtf8(view).Std() == text, "plain UTF-8 is modified UTF-8");
    return 0;
}
