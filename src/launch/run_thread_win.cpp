#include <windows.h>

#include "launch/launcher.h"
#include "support/handles.h"
#include "support/text.h"
#include "support/trace.h"
#include "vmhost/vm_parameters.h"

namespace {
// A thread procedure is a boundary: the launcher's code reports failures by result, never by
// exception, so nothing can escape here.
DWORD WINAPI RunThreadEntry(void* parameter) {
    return static_cast<Launcher*>(parameter)->RunThreadProcedure();
}

// The size is a reservation, as the java command's own launcher asks for it: committing a large
// -Xss up front fails where reserving it succeeds, and costs memory the thread may never touch.
// 0 is the executable's own default. A size the system would wrap while rounding it to whole
// pages is not asked for at all: the system makes a thread that never runs of it.
UniqueHandle CreateRunThread(size_t stackSize, Launcher* launcher) {
    if (!IsReservableStackSize(stackSize)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return UniqueHandle();
    }
    DWORD threadId = 0;
    return UniqueHandle(CreateThread(nullptr, stackSize, RunThreadEntry, launcher,
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, &threadId));
}

WideString Decimal(uint64_t value) {
    char16_t digits[24];
    return WideString(
        std::u16string_view(digits, static_cast<size_t>(FormatUnsignedDecimal(value, digits))));
}
}  // namespace

uint32_t Launcher::StartRunThread() {
    if (runThreadStackSize == 0) runThreadStackSize = DefaultThreadStackSize();
    UniqueHandle thread = CreateRunThread(runThreadStackSize, this);
    if (!thread && runThreadStackSize != 0) {
        const DWORD error = GetLastError();
        Trace(u"run thread: a stack of %s bytes cannot be had (error %s): the executable's default "
              u"stack instead",
              {Decimal(runThreadStackSize), Decimal(error)});
        thread = CreateRunThread(0, this);
    }
    // Without a thread of its own the VM still runs, on the calling thread.
    if (!thread) {
        Trace(u"run thread: cannot be created (error %s): main runs on the launcher's own thread",
              {Decimal(GetLastError())});
        return RunThreadProcedure();
    }
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD exitCode = 1;
    GetExitCodeThread(thread.get(), &exitCode);
    return exitCode;
}
