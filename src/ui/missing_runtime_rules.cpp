#include "ui/missing_runtime_rules.h"

#include "launch/messages.h"
#include "support/text.h"

WideString VersionPhrase(const JavaVersion& minimum, const JavaVersion& maximum) {
    WideString phrase;
    const bool noMinimum = Unbounded(minimum);
    // An all-zero maximum (an empty "Maximum Version" of old) is no bound either.
    const bool noMaximum = Unbounded(maximum);
    if (noMinimum && noMaximum) {
        LoadMessage(phrase, kMsgLatestVersion);
    } else if (noMinimum) {
        FormatResourceMessage(phrase, kMsgMaximumVersion, {VersionText(maximum)});
    } else if (noMaximum) {
        FormatResourceMessage(phrase, kMsgMinimumVersion, {VersionText(minimum)});
    } else if (Equal(minimum, maximum)) {
        FormatResourceMessage(phrase, kMsgExactVersion, {VersionText(minimum)});
    } else {
        FormatResourceMessage(phrase, kMsgVersionRange, {VersionText(minimum), VersionText(maximum)});
    }
    return phrase;
}

WideString RuntimeNotFoundMessage(int32_t jvmType, const JavaVersion& minimum,
                                  const JavaVersion& maximum) {
    WideString message;
    FormatResourceMessage(message, jvmType == 1 ? kMsgRuntimeNotFoundServer : kMsgRuntimeNotFound,
                          {VersionPhrase(minimum, maximum)});
    return message;
}

WideString BrowsedFolder(const WideString& path) {
    if (path.IsEmpty() || path[path.Length() - 1] == u'\\') return path;
    return path + u"\\";
}

ScreenRect CenteredPosition(const ScreenRect& dialog, const ScreenRect& target,
                            const ScreenRect& workArea) {
    const int32_t width = dialog.right - dialog.left;
    const int32_t height = dialog.bottom - dialog.top;
    int32_t left = (target.left + target.right) / 2 - width / 2;
    int32_t top = (target.top + target.bottom) / 2 - height / 2;
    if (left + width > workArea.right) left = workArea.right - width;
    if (top + height > workArea.bottom) top = workArea.bottom - height;
    if (left < workArea.left) left = workArea.left;
    if (top < workArea.top) top = workArea.top;
    return {left, top, left + width, top + height};
}

bool ParseLinkColour(const char16_t* data, uint32_t bytes, bool isString, uint32_t& colour) {
    if (!isString || !data || bytes < 2 || bytes > 24 || bytes % 2 != 0) return false;
    const size_t units = bytes / 2;
    if (data[units - 1] != 0) return false;
    uint32_t parts[3] = {0, 0, 0};
    size_t part = 0;
    bool lastHasDigit = false;
    for (size_t i = 0; i + 1 < units && data[i] != 0; ++i) {
        const char16_t unit = data[i];
        if (unit == u',') {
            if (++part > 2) return false;
            lastHasDigit = false;
        } else if (unit >= u'0' && unit <= u'9') {
            parts[part] = parts[part] * 10 + static_cast<uint32_t>(unit - u'0');
            lastHasDigit = true;
        } else {
            return false;
        }
    }
    if (part != 2 || !lastHasDigit) return false;
    colour = (parts[0] & 0xFF) | (parts[1] & 0xFF) << 8 | (parts[2] & 0xFF) << 16;
    return true;
}

LinkParts SplitLinkMarkup(std::u16string_view label) {
    const auto find = [&](std::u16string_view tag, size_t from) {
        for (size_t at = from; at + tag.size() <= label.size(); ++at) {
            if (EqualsNoCase(label.substr(at, tag.size()), tag)) return at;
        }
        return std::u16string_view::npos;
    };
    LinkParts parts;
    const size_t open = find(u"<A>", 0);
    const size_t close = open == std::u16string_view::npos ? open : find(u"</A>", open + 3);
    if (close == std::u16string_view::npos) {
        parts.link = WideString(label);
        return parts;
    }
    parts.before = WideString(label.substr(0, open));
    parts.link = WideString(label.substr(open + 3, close - open - 3));
    parts.after = WideString(label.substr(close + 4));
    return parts;
}
