#include "runtime/runtime_paths.h"
#include "support/dll_win.h"
#include "support/trace.h"
#include "vmhost/splash_screen.h"

bool BindSplashLibrary(const WideString& vmLibraryPath, SplashLibrary& library) {
    const WideString path = StripComponents(vmLibraryPath, 2) + u"\\splashscreen.dll";
    Dll dll;
    if (!dll.Load(path)) {
        Trace(u"splash screen: no library %s (error %d): the runtime shows none",
              {path, static_cast<int32_t>(GetLastError())});
        return false;
    }
    if (!BindSplashEntries(library, [&dll](const char* name) { return dll.Export<void*>(name); })) {
        Trace(u"splash screen: %s lacks the splash entry points", {path});
        return false;
    }
    // The splash's own thread runs from it, and the VM's toolkit later finds it loaded.
    dll.Keep();
    return true;
}
