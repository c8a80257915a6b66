// The few pieces of the C++ runtime the launcher needs, made its own. The library's versions
// report failures by throwing, and throwing drags in the unwinder, the default terminate handler
// with its demangler and the C runtime's printf: most of an executable this size. Built without
// exceptions, the launcher ends every such failure on its fatal path instead (support/fatal.h).
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#include "support/fatal.h"

// ---- Allocation: failure is fatal, never std::bad_alloc.

void* operator new(std::size_t size) {
    void* memory = std::malloc(size ? size : 1);
    if (!memory) FatalOutOfMemory();
    return memory;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

// ---- What the standard library's headers call where they would throw.

namespace std {
void __throw_bad_alloc() { FatalOutOfMemory(); }
void __throw_bad_array_new_length() { FatalOutOfMemory(); }
void __throw_length_error(const char*) { FatalOutOfMemory(); }
void __throw_logic_error(const char*) { FatalInvalidArgument(); }
void __throw_out_of_range(const char*) { FatalInvalidArgument(); }
void __throw_out_of_range_fmt(const char*, ...) { FatalInvalidArgument(); }
void __throw_invalid_argument(const char*) { FatalInvalidArgument(); }
void __throw_bad_function_call() { FatalInvalidArgument(); }
}  // namespace std

extern "C" {
// A call of a pure virtual function: a broken object.
void __cxa_pure_virtual() { FatalInvalidArgument(); }
void __cxa_deleted_virtual() { FatalInvalidArgument(); }

// Function-local statics are initialised once, under one process-wide lock. The lock is a
// critical section, which the thread holding it may enter again: one static's initialiser may
// use another.
namespace {
INIT_ONCE lockReady = INIT_ONCE_STATIC_INIT;
CRITICAL_SECTION lock;

BOOL CALLBACK InitialiseLock(PINIT_ONCE, PVOID, PVOID*) {
    InitializeCriticalSection(&lock);
    return TRUE;
}

void EnterLock() {
    InitOnceExecuteOnce(&lockReady, InitialiseLock, nullptr, nullptr);
    EnterCriticalSection(&lock);
}

// The first byte of a guard says that its static is initialised (the Itanium C++ ABI's rule).
bool Initialised(const int64_t* guard) {
    return __atomic_load_n(reinterpret_cast<const char*>(guard), __ATOMIC_ACQUIRE) != 0;
}
}  // namespace

int __cxa_guard_acquire(int64_t* guard) {
    if (Initialised(guard)) return 0;
    EnterLock();
    if (Initialised(guard)) {
        LeaveCriticalSection(&lock);
        return 0;
    }
    return 1;  // the caller initialises, then releases
}

void __cxa_guard_release(int64_t* guard) {
    __atomic_store_n(reinterpret_cast<char*>(guard), 1, __ATOMIC_RELEASE);
    LeaveCriticalSection(&lock);
}

void __cxa_guard_abort(int64_t*) { LeaveCriticalSection(&lock); }
}  // extern "C"
