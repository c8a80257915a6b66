#include <windows.h>

#include "launch/launcher.h"
#include "support/fatal.h"

// The C runtime's argc and argv are not used: the command line is split by the launcher's own
// rule (launch/command_line.h).
int main() {
    InstallFatalHandlers();
    Launcher launcher;
    // Selects the language of the string table for every message that follows.
    SetThreadLocale(GetSystemDefaultLCID());
    int exitCode = -1;
    // Service mode hands the primary thread to the service dispatcher instead, once it is built.
    if (launcher.Initialize()) exitCode = launcher.Run();
    return exitCode;
}
