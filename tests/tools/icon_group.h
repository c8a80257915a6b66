#pragma once

// The layouts of an .ico file's directory entry and of an RT_GROUP_ICON resource's entry, which
// names its image by resource id instead of file offset.
#include <windows.h>

#pragma pack(push, 2)
struct IconDirEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes, offset;
};
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)
