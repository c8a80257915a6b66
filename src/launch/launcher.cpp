#include "launch/launcher.h"

namespace {
Launcher* current = nullptr;
}

Launcher::Launcher() { current = this; }

Launcher::~Launcher() {
    if (javaVm) javaVm->DestroyJavaVM();
    // The single-instance objects are released with their owners (listener thread, block view,
    // mapping, started event) as the fields below are destroyed.
    if (current == this) current = nullptr;
}

Launcher* Launcher::Current() { return current; }
