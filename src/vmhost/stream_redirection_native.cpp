#include <ctime>
#include <filesystem>
#include <system_error>

#include "support/utf8.h"
#include "vmhost/stream_redirection.h"

// The native build's stand-ins, for the real-VM tests: local time from the C library, pictures
// left as they are, POSIX paths.

LocalTime ReadLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint16_t>(local.tm_mon + 1),
            static_cast<uint16_t>(local.tm_wday),        static_cast<uint16_t>(local.tm_mday),
            static_cast<uint16_t>(local.tm_hour),        static_cast<uint16_t>(local.tm_min),
            static_cast<uint16_t>(local.tm_sec),         0};
}

WideString FormatTimePicture(std::u16string_view picture, const LocalTime&) {
    return WideString(picture);
}

WideString FormatDatePicture(std::u16string_view picture, const LocalTime&) {
    return WideString(picture);
}

WideString PrepareOutputFile(const WideString& name) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(EncodeUtf8(name), error);
    if (error) return name;
    std::filesystem::create_directories(full.parent_path(), error);
    return WideString(DecodeUtf8(full.string()));
}

bool SameFile(const WideString& a, const WideString& b) {
    std::error_code error;
    return a == b || std::filesystem::equivalent(EncodeUtf8(a), EncodeUtf8(b), error);
}
