#include "launch/launcher.h"

namespace {
Launcher* current = nullptr;
}

Launcher::Launcher() { current = this; }

Launcher::~Launcher() {
    if (current == this) current = nullptr;
}

Launcher* Launcher::Current() { return current; }
