#include <sys/resource.h>
#include <unistd.h>

#include "vmhost/vm_parameters.h"

// The native build's stand-in: physical memory from the system, and the address space this
// process may still take (its limit, else the 47-bit user space of x86-64).
MemoryFigures ReadMemoryFigures() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    MemoryFigures figures;
    if (pages > 0 && pageSize > 0)
        figures.totalPhysical = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
    rlimit limit{};
    figures.availableVirtual = getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                                   ? static_cast<uint64_t>(limit.rlim_cur)
                                   : uint64_t{1} << 47;
    return figures;
}
