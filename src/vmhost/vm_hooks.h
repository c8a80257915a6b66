#pragma once

#include "vmhost/jni_api.h"

// Handed to the VM as the "exit" and "abort" options. The VM calls them on its own threads,
// possibly after teardown has begun; they only forward to the launcher's exit listener, which
// exists in service mode, and never end the process themselves.
void JNICALL VmExitHook(jint code);
void JNICALL VmAbortHook();
