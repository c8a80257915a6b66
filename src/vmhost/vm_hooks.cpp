#include "vmhost/vm_hooks.h"

#include "launch/launcher.h"
#include "launch/messages.h"
#include "support/trace.h"

void JNICALL VmExitHook(jint code) {
    Trace(u"exit code %d: the program ended the VM (System.exit)", {static_cast<int32_t>(code)});
    Launcher* launcher = Launcher::Current();
    // The JDK's launcher helper ends the VM this way when the main class or its main is missing;
    // what it wrote to a standard error nobody sees must reach the user too.
    const MainProgress progress =
        launcher && launcher->javaVm ? launcher->mainProgress.load() : MainProgress::Running;
    if (code != 0 && (progress == MainProgress::NotStarted ||
                      progress == MainProgress::StopRequested)) {
        WideString dotted = launcher->mainClass;
        dotted.ReplaceUnit(u'/', u'.');
        WideString text;
        FormatResourceMessage(text, kMsgMainClassNotLoaded, {dotted});
        ReportExitBeforeMain(ErrorLine(text));
    }
    // The VM ends the process after this: what is gathered for the message box must show first.
    ShowGatheredErrors();
    if (launcher && launcher->exitListener) launcher->exitListener->OnExit(static_cast<int>(code));
}

void JNICALL VmAbortHook() {
    // The process ends after this too: lines gathered so far are not to be lost.
    ShowGatheredErrors();
    Launcher* launcher = Launcher::Current();
    if (launcher && launcher->exitListener) launcher->exitListener->OnAbort();
}
