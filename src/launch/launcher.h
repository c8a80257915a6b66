#pragma once

#include <cstddef>
#include <cstdint>

#include "launch/exit_listener.h"
#include "runtime/java_version.h"
#include "support/handles.h"
#include "support/string_list.h"
#include "support/wide_string.h"

// The JNI handle types, declared as jni.h declares them for C++.
struct JavaVM_;
struct JNIEnv_;
typedef JavaVM_ JavaVM;
typedef JNIEnv_ JNIEnv;

// The one state object of the process: every setting, the chosen runtime, the VM handles, the
// argument and option lists, the mode flags and the single-instance handles. The entry point
// holds it as a local; the VM hooks reach it through Launcher::Current().
class Launcher {
public:
    Launcher();
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // The process-wide instance, or null before construction and after teardown.
    static Launcher* Current();

    // Command line and settings; false ends the process with -1.
    bool Initialize();
    // Reads the configuration; false (after any message) ends the process with -1.
    bool ReadSettings();

    // Configuration paths. GetModulePath prints message 202 with 208 on failure.
    bool GetModulePath(WideString& out);
    bool GetProgramFolder(WideString& out);
    bool GetConfigurationFilePath(WideString& out);
    // Empty when the module path cannot be read.
    WideString GetPerUserConfigurationFilePath(bool createFolders);
    // Empty when pairProduct is empty; always creates the folders.
    WideString GetPairPerUserConfigurationFilePath();
    bool GetPairConfigurationFilePath(WideString& out);
    WideString BuildPerUserPath(const WideString& sourcePath, bool createFolders);

    // Fields, in the order of the launcher's state table.
    ExitListener* exitListener = nullptr;
    int32_t jvmType = 0;  // 0 client / no preference, 1 "server", 2 "favor_server"
    WideString runtimeLibraryPath;
    JavaVM* javaVm = nullptr;
    JNIEnv* jniEnv = nullptr;
    WideString mainClass;  // "." replaced by "/"
    JavaVersion runtimeVersion;
    JavaVersion minimumVersion;
    JavaVersion maximumVersion;
    StringList arguments;
    bool serviceMode = false;
    bool omitServiceName = false;
    bool jdkWanted = false;
    bool jreWanted = false;
    bool anyKindAccepted = true;
    bool jrockitAccepted = false;
    bool sunAccepted = true;
    bool ibmAccepted = false;
    bool jrockitFavored = false;
    bool sunFavored = true;
    bool ibmFavored = false;
    WideString productName;
    WideString productCode;
    NarrowStringList vmOptions;
    StringList preferredVersions;
    WideString configuredRuntimePath;
    WideString libraryPath;
    UniqueView instanceBlock;
    UniqueHandle instanceMapping;
    UniqueHandle listenerThread;
    bool isPrimaryInstance = false;
    bool singleInstance = false;
    WideString outputFile;
    WideString errorFile;
    bool appendOutput = false;
    bool appendError = false;
    WideString systemPath;
    WideString extraArguments;
    WideString pairProduct;
    bool waitForPair = false;
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    size_t runThreadStackSize = 0;  // 0: ask the VM
    UniqueHandle startedEvent;
    bool relaunchInPair = false;
    // VM entry points resolved from the VM library; the last one may stay null.
    void* createJavaVm = nullptr;
    void* getDefaultJavaVmInitArgs = nullptr;
    void* findClassFromBootLoader = nullptr;
};
