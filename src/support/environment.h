#pragma once

#include "support/wide_string.h"

// The process environment (environment_win.cpp).

// The whole value, however long; empty when the variable is not set.
WideString ReadEnvironmentVariable(const char16_t* name);
// Replaces %NAME% by the variable's value, in place; an undefined one stays as written. The text
// is left unchanged when the system cannot expand it.
void ExpandEnvironment(WideString& text);
