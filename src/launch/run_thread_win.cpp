#include <windows.h>

#include "launch/launcher.h"
#include "support/handles.h"

namespace {
// A thread procedure is a boundary: the launcher's code reports failures by result, never by
// exception, so nothing can escape here.
DWORD WINAPI RunThreadEntry(void* parameter) {
    return static_cast<Launcher*>(parameter)->RunThreadProcedure();
}
}  // namespace

uint32_t Launcher::StartRunThread() {
    if (runThreadStackSize == 0) runThreadStackSize = DefaultThreadStackSize();
    DWORD threadId = 0;
    UniqueHandle thread(
        CreateThread(nullptr, runThreadStackSize, RunThreadEntry, this, 0, &threadId));
    // Without a thread of its own the VM still runs, on the calling thread.
    if (!thread) return RunThreadProcedure();
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD exitCode = 1;
    GetExitCodeThread(thread.get(), &exitCode);
    return exitCode;
}
