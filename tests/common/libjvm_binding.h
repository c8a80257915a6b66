#pragma once

#include <dlfcn.h>

#include <string>

#include "launch/launcher.h"

// Loads a HotSpot libjvm.so as the java command does and binds the three exports the launcher
// resolves (JNI_CreateJavaVM, JNI_GetDefaultJavaVMInitArgs, JVM_FindClassFromBootLoader). Empty
// when all three are bound, else why not. The library is never closed: a VM cannot be unloaded.
inline std::string BindLibjvm(Launcher& launcher, const char* path) {
    void* library = dlopen(path, RTLD_NOW | RTLD_GLOBAL);
    if (!library) return dlerror();
    launcher.createJavaVm =
        reinterpret_cast<CreateJavaVmFunction>(dlsym(library, "JNI_CreateJavaVM"));
    launcher.getDefaultJavaVmInitArgs = reinterpret_cast<GetDefaultJavaVmInitArgsFunction>(
        dlsym(library, "JNI_GetDefaultJavaVMInitArgs"));
    launcher.findClassFromBootLoader = reinterpret_cast<FindClassFromBootLoaderFunction>(
        dlsym(library, "JVM_FindClassFromBootLoader"));
    const bool bound = launcher.createJavaVm && launcher.getDefaultJavaVmInitArgs &&
                       launcher.findClassFromBootLoader;
    return bound ? "" : std::string(path) + " lacks one of the three exports the launcher resolves";
}
