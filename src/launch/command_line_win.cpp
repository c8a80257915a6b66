#include "launch/command_line.h"
#include "support/wide_win.h"

void ParseCommandLine(StringList& list) { ParseCommandLineText(U(GetCommandLineW()), list); }
