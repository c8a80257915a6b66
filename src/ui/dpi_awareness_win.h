#pragma once

#include <windows.h>

// While it lives, windows this thread creates are system-aware (Windows 10 1607 and later; a no-op
// before): the launcher's own dialog and message box stay sharp, and the process's awareness
// stays unset for the runtime's.
class ThreadSystemDpiAwareness {
public:
    ThreadSystemDpiAwareness();
    ~ThreadSystemDpiAwareness();
    ThreadSystemDpiAwareness(const ThreadSystemDpiAwareness&) = delete;
    ThreadSystemDpiAwareness& operator=(const ThreadSystemDpiAwareness&) = delete;

private:
    using SetThread = HANDLE(WINAPI*)(HANDLE);
    const SetThread set;  // SetThreadDpiAwarenessContext, null where the system lacks it
    HANDLE previous = nullptr;
};
