#include <dlfcn.h>

#include "support/trace.h"
#include "support/utf8.h"
#include "vmhost/splash_screen.h"

// A Linux runtime keeps it in lib/, the folder above lib/server/libjvm.so.
bool BindSplashLibrary(const WideString& vmLibraryPath, SplashLibrary& library) {
    ByteString path = EncodeUtf8(vmLibraryPath);
    path.erase(path.find_last_of('/'));
    path.erase(path.find_last_of('/') + 1);
    path += "libsplashscreen.so";
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!handle) {
        Trace(u"splash screen: no library %s: the runtime shows none", {DecodeUtf8(path)});
        return false;
    }
    return BindSplashEntries(library, [handle](const char* name) { return dlsym(handle, name); });
}
