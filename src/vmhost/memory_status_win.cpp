#include <windows.h>

#include "vmhost/vm_parameters.h"

MemoryFigures ReadMemoryFigures() {
    // Pointer-sized figures: the 32-bit executable sees its own 32-bit view of the machine.
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return {status.dwTotalPhys, status.dwAvailVirtual};
}
