#include <windows.h>

#include "launch/launcher.h"
#include "launch/messages.h"
#include "modes/service_host_win.h"
#include "support/trace.h"

// The C runtime's argc and argv are not used: the command line is split by the launcher's own
// rule (launch/command_line.h).
int main() {
    // Inert unless the configuration asks for service mode. Declared before the launcher, so they
    // outlive the VM: its exit hook and a stop still report through them while it is destroyed.
    ServiceDefinition definition;
    ServiceRunner runner;
    ServiceHost host(definition, runner);
    Launcher launcher;
    // Selects the language of the string table for every message that follows.
    SetThreadLocale(GetSystemDefaultLCID());
    int exitCode = -1;
    const bool initialized = launcher.Initialize();
    if (!initialized) {
        Trace(u"exit code -1: the launch ended during start-up (see above)");
    } else {
        if (!launcher.serviceMode) {
            exitCode = launcher.Run();
        } else if (definition.Form(launcher)) {
            runner.launcher = &launcher;
            launcher.exitListener = &runner;
            // The run step happens on the service's own thread; this one serves the controls.
            exitCode = static_cast<int>(host.Dispatch());
            Trace(exitCode == 0 ? u"exit code 0: the service stopped"
                                : u"exit code %d: the service dispatcher could not start (not "
                                  u"started by the service control manager)",
                  {exitCode});
        }
    }
    ShowGatheredErrors();
    return exitCode;
}
