#include "launch/launcher.h"

#include "modes/single_instance.h"

namespace {
Launcher* current = nullptr;
}

Launcher::Launcher() { current = this; }

Launcher::~Launcher() {
    // In this order, whatever the order of the fields: no forwarded launch is taken any more and
    // the running ones end, then the VM, then the single-instance objects, then the rest with
    // the fields.
    SingleInstanceGuard::StopForwarding(*this);
    EndVm();
    SingleInstanceGuard::Release(*this);
    if (current == this) current = nullptr;
}

Launcher* Launcher::Current() { return current; }

bool Launcher::BeginMain() {
    MainProgress seen = MainProgress::NotStarted;
    return mainProgress.compare_exchange_strong(seen, MainProgress::Running) ||
           seen == MainProgress::Running;
}

MainProgress Launcher::RequestStop() {
    MainProgress seen = MainProgress::NotStarted;
    if (mainProgress.compare_exchange_strong(seen, MainProgress::StopRequested))
        return MainProgress::NotStarted;
    return seen;
}

void Launcher::EndVm() {
    if (!javaVm || mainProgress.load() == MainProgress::Ended) return;
    javaVm->DestroyJavaVM();
    mainProgress.store(MainProgress::Ended);
}
