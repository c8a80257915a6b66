#pragma once

#include <cstddef>

#include "support/wide_string.h"
#include "vmhost/jni_api.h"

// The runtime's splash-screen library, driven as the java command drives it for "-splash:": it
// shows the image on a thread of its own while the VM starts, and java.awt.SplashScreen in the
// program later finds the same splash, because the VM loads the same library.

// Its entry points; the last three are missing from early Java 8 libraries.
struct SplashLibrary {
    int (*init)() = nullptr;
    int (*loadFile)(const char* name) = nullptr;
    void (*setFileJarName)(const char* file, const char* jar) = nullptr;
    void (*setScaleFactor)(float factor) = nullptr;
    jboolean (*scaledImageName)(const char* jar, const char* file, float* factor, char* name,
                                size_t nameSize) = nullptr;
    int (*scaledNameSuffixLength)(const char* file) = nullptr;
};

// Loads the library from the folder above the VM library's own (bin\ on Windows, lib/ on Linux)
// and keeps it loaded; false, with a trace line, when it is not there or lacks one of the first
// three entry points. (splash_library_win.cpp / _native.cpp)
bool BindSplashLibrary(const WideString& vmLibraryPath, SplashLibrary& library);
