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
    if (!launcher.Initialize()) return exitCode;
    // The launch sequence proper (runtime selection, VM creation, main) is not built yet, so an
    // initialised launcher has nothing to run and still ends with -1.
    return exitCode;
}
