#pragma once

#include "runtime/java_version.h"
#include "support/wide_string.h"

class Launcher;

// How the values of the runtime settings turn into launcher state. Comparisons are exact unless
// the name says otherwise.

// "Minimum Version": "any" or a version with missing parts 0; no lower bound when it has no digits.
JavaVersion MinimumVersionSetting(const WideString& value);
// "Maximum Version": "any" or a version with missing parts 65535. An empty, digit-free or
// unreadable value is no upper bound as well: users who leave it empty expect their installed
// Java to be found.
JavaVersion MaximumVersionSetting(const WideString& value);
// "JVM Type": "server" 1, "favor_server" 2, anything else 0.
int32_t JvmTypeSetting(const WideString& value);
// "JVM Source": the kind filter (anyKindAccepted, jdkWanted, jreWanted).
void ApplyJvmSource(const WideString& value, Launcher& launcher);
// "VM Provider": the six vendor flags, from the first row matching without regard to ASCII case.
void ApplyVmProvider(const WideString& value, Launcher& launcher);
// The "Yes" switches, without regard to ASCII case.
bool IsYes(const WideString& value);
