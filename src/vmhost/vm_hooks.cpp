#include "vmhost/vm_hooks.h"

#include "launch/launcher.h"
#include "launch/messages.h"
#include "support/trace.h"

void JNICALL VmExitHook(jint code) {
    Trace(u"exit code %d: the program ended the VM (System.exit)", {static_cast<int32_t>(code)});
    // The VM ends the process after this: what is gathered for the message box must show first.
    ShowGatheredErrors();
    Launcher* launcher = Launcher::Current();
    if (launcher && launcher->exitListener) launcher->exitListener->OnExit(static_cast<int>(code));
}

void JNICALL VmAbortHook() {
    Launcher* launcher = Launcher::Current();
    if (launcher && launcher->exitListener) launcher->exitListener->OnAbort();
}
