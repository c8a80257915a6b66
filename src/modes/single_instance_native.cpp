#include "launch/launcher.h"
#include "modes/single_instance.h"

// The native build has no single-instance mode.
bool SingleInstanceGuard::Apply(Launcher&) { return true; }
void SingleInstanceGuard::StopForwarding(Launcher&) {}
void SingleInstanceGuard::Release(Launcher&) {}
