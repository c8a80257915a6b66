#include "launch/launcher.h"
#include "launch/messages.h"
#include "support/dll_win.h"

bool Launcher::LoadVmLibrary(const WideString& vmLibraryPath) {
    Dll library;
    if (!library.Load(vmLibraryPath)) {
        const DWORD error = GetLastError();
        WideString text;
        FormatResourceMessage(text, kMsgVmLibraryNotLoaded,
                              {vmLibraryPath, static_cast<int32_t>(error)});
        PrintError(text);
        return false;
    }
    // A VM library may start threads of its own when it loads, and a VM cannot be unloaded once
    // it has run: whatever follows, the library stays for the life of the process.
    library.Keep();
    createJavaVm = library.Export<CreateJavaVmFunction>("JNI_CreateJavaVM");
    if (!createJavaVm) {
        ReportWindowsError(kMsgCreateJavaVmMissing, GetLastError());
        return false;
    }
    getDefaultJavaVmInitArgs =
        library.Export<GetDefaultJavaVmInitArgsFunction>("JNI_GetDefaultJavaVMInitArgs");
    if (!getDefaultJavaVmInitArgs) {
        ReportWindowsError(kMsgCreateJavaVmMissing, GetLastError());
        return false;
    }
    findClassFromBootLoader =
        library.Export<FindClassFromBootLoaderFunction>("JVM_FindClassFromBootLoader");
    return true;
}
