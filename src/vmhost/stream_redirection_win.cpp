#include <windows.h>

#include "support/handles_win.h"
#include "support/paths.h"
#include "support/wide_win.h"
#include "vmhost/stream_redirection.h"

namespace {
SYSTEMTIME ToSystemTime(const LocalTime& time) {
    SYSTEMTIME system{};
    system.wYear = time.year;
    system.wMonth = time.month;
    system.wDayOfWeek = time.dayOfWeek;
    system.wDay = time.day;
    system.wHour = time.hour;
    system.wMinute = time.minute;
    system.wSecond = time.second;
    system.wMilliseconds = time.milliseconds;
    return system;
}

// The formatters' result in a buffer of kPictureBufferUnits; a longer one, like any failure, is
// empty.
template <typename Formatter>
WideString FormatPicture(Formatter format, std::u16string_view picture, const LocalTime& time) {
    const SYSTEMTIME system = ToSystemTime(time);
    const WideString pattern(picture);
    wchar_t buffer[kPictureBufferUnits] = {};
    if (format(LOCALE_USER_DEFAULT, 0, &system, W(pattern), buffer, kPictureBufferUnits) == 0)
        return WideString();
    return WideString(U(buffer));
}
}  // namespace

LocalTime ReadLocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDayOfWeek, now.wDay,
            now.wHour, now.wMinute, now.wSecond,    now.wMilliseconds};
}

WideString FormatTimePicture(std::u16string_view picture, const LocalTime& time) {
    return FormatPicture(GetTimeFormatW, picture, time);
}

WideString FormatDatePicture(std::u16string_view picture, const LocalTime& time) {
    return FormatPicture(GetDateFormatW, picture, time);
}

WideString PrepareOutputFile(const WideString& name) {
    WideString full;
    if (!FullPathName(name, full)) return name;
    CreateParentFolders(full);
    return full;
}

namespace {
// The volume and the index of the file on it: the same under every name the file has. No access
// is asked for, so a stream that holds the file open does not stand in the way.
bool FileIdentity(const WideString& path, BY_HANDLE_FILE_INFORMATION& identity) {
    UniqueFile file(CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.get(), &identity);
}
}  // namespace

bool SameFile(const WideString& a, const WideString& b) {
    if (SamePath(a, b)) return true;
    BY_HANDLE_FILE_INFORMATION first, second;
    return FileIdentity(a, first) && FileIdentity(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}
