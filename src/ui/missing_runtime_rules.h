#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/java_version.h"
#include "support/wide_string.h"

// What the missing-runtime dialog and its link decide, apart from the windows that show it.

// "latest version", "minimum version 1.8", "version between 1.8 and 11", ... from the configured
// bounds; an all-zero maximum counts as no bound here.
WideString VersionPhrase(const JavaVersion& minimum, const JavaVersion& maximum);
// The dialog's message: the server-VM text for "JVM Type" "server" (1), the plain one otherwise,
// with the version phrase in it.
WideString RuntimeNotFoundMessage(int32_t jvmType, const JavaVersion& minimum,
                                  const JavaVersion& maximum);

// The folder chosen with Browse as the dialog keeps it: with a final "\" unless it is empty or
// has one already (a drive root).
WideString BrowsedFolder(const WideString& path);

// A rectangle in screen pixels, right and bottom exclusive.
struct ScreenRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
// Where a dialog goes: its centre on the target's centre, then pushed back inside the work area
// at the right and bottom, then at the left and top. Only the position changes.
ScreenRect CenteredPosition(const ScreenRect& dialog, const ScreenRect& target,
                            const ScreenRect& workArea);

// A browser link colour value "R,G,B" (three decimal numbers, each cut to 8 bits) as 0x00BBGGRR.
// The value must be a string of at most 24 bytes ending in a zero unit; false leaves it unread.
bool ParseLinkColour(const char16_t* data, uint32_t bytes, bool isString, uint32_t& colour);

// A label with markup: only the part between "<A>" and "</A>" (any letter case) is the link.
// Without both tags the whole label is the link.
struct LinkParts {
    WideString before, link, after;
};
LinkParts SplitLinkMarkup(std::u16string_view label);
