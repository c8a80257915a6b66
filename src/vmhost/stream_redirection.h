#pragma once

#include <cstdint>
#include <string_view>

#include "support/wide_string.h"

// Date and time in the names of the output and error files, and the system side of the
// redirection (stream_redirection_win.cpp / _native.cpp).

struct LocalTime {
    uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
    uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// The units the system's time and date formatters write into, their terminating zero included.
// A picture as long is never handed to them: no result could fit, and some systems fail on it
// by crashing rather than by result.
inline constexpr int32_t kPictureBufferUnits = 260;

// Formats a picture of the system's time or date formatter; empty when it fails.
using PictureFormatter = WideString (*)(std::u16string_view picture, const LocalTime& time);

// Replaces the text from the first to the last "%" of name by the pattern between them, with
// every "L" made the milliseconds and then formatted as a time and then as a date (so "mm" is
// minutes and "MM" the month). A name without "%" stays as it is; a single "%" is dropped, and so
// is a pattern too long for the formatters' buffer.
void ExpandTimePattern(WideString& name, const LocalTime& time, PictureFormatter formatTime,
                       PictureFormatter formatDate);

LocalTime ReadLocalTime();
WideString FormatTimePicture(std::u16string_view picture, const LocalTime& time);
WideString FormatDatePicture(std::u16string_view picture, const LocalTime& time);
// The full path of an output file, resolved against the current directory as the VM resolves
// it, with the folders above it created; the name as given when no full path can be formed.
WideString PrepareOutputFile(const WideString& name);
// Whether two names denote one file: the same spelling, or the same file on the same volume
// (an 8.3 name, a long-path prefix). A file that does not exist is no other file.
bool SameFile(const WideString& a, const WideString& b);
