#include "support/fatal.h"

#include <windows.h>

// Raised as a non-continuable exception so that a debugger or Windows Error Reporting sees the
// real cause (the system's no-memory status) instead of an anonymous abort.
void FatalOutOfMemory() {
    RaiseException(static_cast<DWORD>(STATUS_NO_MEMORY), EXCEPTION_NONCONTINUABLE, 0, nullptr);
    ExitProcess(static_cast<UINT>(STATUS_NO_MEMORY));
}

void FatalInvalidArgument() {
    RaiseException(static_cast<DWORD>(STATUS_INVALID_PARAMETER), EXCEPTION_NONCONTINUABLE, 0,
                   nullptr);
    ExitProcess(static_cast<UINT>(STATUS_INVALID_PARAMETER));
}
