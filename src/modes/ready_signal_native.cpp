#include "modes/ready_signal.h"

// The native build has no single-instance mode.
void SignalReady(const UniqueHandle&) {}
