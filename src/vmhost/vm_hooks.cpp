#include "vmhost/vm_hooks.h"

#include "launch/launcher.h"

void JNICALL VmExitHook(jint code) {
    Launcher* launcher = Launcher::Current();
    if (launcher && launcher->exitListener) launcher->exitListener->OnExit(static_cast<int>(code));
}

void JNICALL VmAbortHook() {
    Launcher* launcher = Launcher::Current();
    if (launcher && launcher->exitListener) launcher->exitListener->OnAbort();
}
