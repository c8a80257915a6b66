// Sharp windows on every monitor. The executables declare no DPI awareness: each runtime gets the
// one its own java.exe declares, set once the runtime is known and before any window exists.
// Java 9 and later scale their windows per monitor (per-monitor v2, else per-monitor, else
// system, by what the system offers); Java 8 expects system awareness.
#include "ui/dpi_awareness_win.h"

#include <windows.h>

#include "launch/launcher.h"
#include "launch/messages.h"
#include "runtime/runtime_paths.h"
#include "support/dll_win.h"
#include "support/paths.h"
#include "support/trace.h"

namespace {
// The awareness contexts of Windows 10 (per-monitor v2 since 1703) and
// PROCESS_PER_MONITOR_DPI_AWARE of Windows 8.1, which the headers for Windows 7 do not declare.
const auto kPerMonitorV2Context = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4));
const auto kPerMonitorContext = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-3));
const auto kSystemAwareContext = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));
constexpr int kPerMonitorAware = 2;

bool ScalesPerMonitor(const JavaVersion& version, const WideString& vmLibraryPath) {
    if (version.major != 0) return version.major >= 9;
    // A version the search did not learn: only runtimes of Java 9 and later hold lib\modules.
    return FileExists(RuntimeHome(vmLibraryPath) + u"lib\\modules");
}

// The newest per-monitor awareness the system knows, as java.exe's manifest asks for it
// (PerMonitorV2, PerMonitor); false on systems before Windows 8.1.
bool SetPerMonitorAwareness(HMODULE user32) {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    if (auto set = ProcedureOf<SetContext>(user32, "SetProcessDpiAwarenessContext"))
        return set(kPerMonitorV2Context) || set(kPerMonitorContext);
    using SetAwareness = HRESULT(WINAPI*)(int);
    auto set = ProcedureOf<SetAwareness>(LoadLibraryW(L"shcore.dll"), "SetProcessDpiAwareness");
    return set && SUCCEEDED(set(kPerMonitorAware));
}
}  // namespace

ThreadSystemDpiAwareness::ThreadSystemDpiAwareness()
    : set(ProcedureOf<SetThread>(GetModuleHandleW(L"user32.dll"),
                                 "SetThreadDpiAwarenessContext")) {
    if (set) previous = set(kSystemAwareContext);
}

ThreadSystemDpiAwareness::~ThreadSystemDpiAwareness() {
    if (previous) set(previous);
}

void Launcher::ApplyDpiAwareness() {
    if (serviceMode) return;  // no desktop, no windows
    // An ordinary console launch loads no user-interface library for this: the runtime's VM
    // library usually has (HotSpot's imports it), and otherwise the program's toolkit sets the
    // system awareness itself if it ever shows a window.
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32 && (IsWindowless() || (!splashImage.IsEmpty() && !headless)))
        user32 = LoadLibraryW(L"user32.dll");  // a known DLL: always the system's own
    if (!user32) {
        Trace(u"DPI awareness: left to the program's toolkit (no user-interface library loaded)");
        return;
    }
    if (ScalesPerMonitor(runtimeVersion, runtimeLibraryPath)) {
        if (SetPerMonitorAwareness(user32)) {
            Trace(u"DPI awareness: per monitor, as Java 9 and later declare it");
            return;
        }
        Trace(u"DPI awareness: per monitor refused (error %d)",
              {static_cast<int32_t>(GetLastError())});
    }
    using SetAware = BOOL(WINAPI*)();
    const auto set = ProcedureOf<SetAware>(user32, "SetProcessDPIAware");
    Trace(set && set() ? u"DPI awareness: system" : u"DPI awareness: cannot be set");
}
