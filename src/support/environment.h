#pragma once

#include <cstdint>

#include "support/wide_string.h"

// The process environment (environment_win.cpp).

// The system's limit of an environment variable's value and of an expanded text, in units, the
// terminating zero included: a longer text is cut by the system, not refused.
inline constexpr int32_t kEnvironmentLimit = 32767;

// The whole value; empty when the variable is not set, or when its value is longer than the
// system's functions read whole (past kEnvironmentLimit).
WideString ReadEnvironmentVariable(const char16_t* name);
// The same, telling the two apart: false (value empty) only for a value too long to read whole.
bool ReadEnvironmentVariable(const char16_t* name, WideString& value);
// Replaces %NAME% by the variable's value, in place; an undefined one stays as written. false,
// with the text unchanged, when the system cannot expand it whole (a text or a result past
// kEnvironmentLimit).
bool ExpandEnvironment(WideString& text);
