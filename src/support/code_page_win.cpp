#include <limits>

#include "support/wide_win.h"

NarrowString ToNarrow(std::u16string_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
        return NarrowString();
    const int units = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(CP_THREAD_ACP, 0, W(text.data()), units, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return NarrowString();
    ByteString out(static_cast<size_t>(needed), '\0');
    const int written = WideCharToMultiByte(CP_THREAD_ACP, 0, W(text.data()), units, out.data(),
                                            needed, nullptr, nullptr);
    if (written <= 0) return NarrowString();
    out.resize(static_cast<size_t>(written));
    return NarrowString(std::move(out));
}

WideString FromNarrow(std::string_view text) {
    if (text.empty() || text.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
        return WideString();
    const int bytes = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), bytes, nullptr, 0);
    if (needed <= 0) return WideString();
    WideString out;
    char16_t* buffer = out.Buffer(needed);
    const int written = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), bytes, W(buffer), needed);
    if (written <= 0) return WideString();
    return out.Left(written);
}
