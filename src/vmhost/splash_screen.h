#pragma once

#include <cstddef>
#include <type_traits>

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

// Binds the entry points through lookup(name), which returns an export's address or null (the
// system's lookup of the library loaded); false when one of the first three is missing.
template <typename Lookup>
bool BindSplashEntries(SplashLibrary& library, Lookup lookup) {
    const auto bind = [&lookup](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(lookup(name));
    };
    bind(library.init, "SplashInit");
    bind(library.loadFile, "SplashLoadFile");
    bind(library.setFileJarName, "SplashSetFileJarName");
    bind(library.setScaleFactor, "SplashSetScaleFactor");
    bind(library.scaledImageName, "SplashGetScaledImageName");
    bind(library.scaledNameSuffixLength, "SplashGetScaledImgNameMaxPstfixLen");
    return library.init && library.loadFile && library.setFileJarName;
}

// Loads the library from the folder above the VM library's own (bin\ on Windows, lib/ on Linux)
// and keeps it loaded; false, with a trace line, when it is not there or lacks one of the first
// three entry points. (splash_library_win.cpp / _native.cpp)
bool BindSplashLibrary(const WideString& vmLibraryPath, SplashLibrary& library);
