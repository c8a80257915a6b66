#include "support/window_station_win.h"

#include <windows.h>

bool WindowStationVisible() {
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    if (!GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                   &needed))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}
