#include "launch/launcher.h"

#include "modes/single_instance.h"

namespace {
Launcher* current = nullptr;
}

Launcher::Launcher() { current = this; }

Launcher::~Launcher() {
    // In this order, whatever the order of the fields: the VM first, then the single-instance
    // objects (whose handler threads use the VM), then the rest with the fields.
    if (javaVm) javaVm->DestroyJavaVM();
    SingleInstanceGuard::Release(*this);
    if (current == this) current = nullptr;
}

Launcher* Launcher::Current() { return current; }
