#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "config/profile_index.h"
#include "launch/exit_listener.h"
#include "runtime/java_version.h"
#include "runtime/registry_search.h"
#include "support/handles.h"
#include "support/string_list.h"
#include "support/wide_string.h"
#include "vmhost/class_data_sharing.h"
#include "vmhost/jni_api.h"

// How far the program's run has come, as the threads that call into it (a service's stop, a
// forwarded launch) must know it.
enum class MainProgress : int32_t {
    NotStarted,     // the VM is still being created, or main's class is being loaded
    StopRequested,  // a stop came before main: main is not called
    Running,        // main was called; javaVm may be used after attaching
    Ended,          // the VM is destroyed
};

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

    // Command line, settings, working directory and runtime choice; false ends the process
    // with -1.
    bool Initialize();
    // Relaunch in the pair, second-instance wait, or the in-process launch; the exit code.
    int32_t Run();
    // Starts pairProduct with this process's command line: 0 at once, or with "Pair Return
    // Code" its exit code. -1 with a message when it is not started: it cannot be, it is this
    // executable, or this process was itself started by a hand-over.
    int32_t RelaunchInPair();
    // Whether path names the running executable (full paths, compared without regard to case).
    bool IsThisExecutable(const WideString& path);
    // Runs the VM on a thread of its own (or on the calling thread when none can be created)
    // and returns the thread's exit code: 0 when main returned and the thread detached.
    uint32_t StartRunThread();
    // The run thread's work: create the VM, redirect the streams, call main. 0 or 1.
    uint32_t RunThreadProcedure();
    // Second instance only: the first instance's reply, or its exit code once it ends.
    int32_t WaitForPrimaryInstance();
    // On the run thread, right before main: false when a stop came first (main is then not
    // called). Otherwise the program counts as running from here on.
    bool BeginMain();
    // From a service's stop thread: what the run had reached. When main had not started it never
    // will; while it runs, the caller may attach to javaVm and call the program's stop().
    MainProgress RequestStop();
    // Destroys the VM once, on the calling thread: DestroyJavaVM returns only when the program's
    // own non-daemon threads have ended. Nothing calls into the program after this.
    void EndVm();
    // The VM's default Java thread stack size, 0 when it reports none.
    size_t DefaultThreadStackSize();
    // Reads the configuration; false (after any message) ends the process with -1.
    bool ReadSettings();

    // Runtime choice: "JRE Path", the runtime shipped beside the executable, the registry in
    // this build's view and then in the other one, JAVA_HOME and the install folders, and last the
    // dialog. false when none gives a VM library and the dialog does not either.
    bool SelectRuntime();
    // The registry's runtime as "Runtime Search" orders the keys: by default the keys of old in
    // both views first, the current vendors' keys only when those give none.
    bool RegistryRuntime(WideString& home);
    // The executable's own folder when it is a runtime, else its "jre64\" / "jre\" subfolder
    // when that is one, else empty (still success). false when the module path is unreadable.
    bool FindShippedRuntime(WideString& folder);
    // Registered runtimes of one registry view, under the keys of old, the current vendors' keys
    // or both, filtered, ranked and chosen; the chosen home (ending in "\") and runtimeVersion on
    // success. The other view sets relaunchInPair.
    bool SearchRegistry(bool otherView, bool classicKeys, bool currentKeys, WideString& home);
    // After the registry: JAVA_HOME, then the vendors' install folders (each subfolder a runtime,
    // its version from its "release" file); filtered and ranked as registered runtimes are. A
    // runtime of the twin's processor counts only with "Pair Product", and then hands the launch
    // over; one of any other processor never counts.
    bool SearchInstallFolders();
    bool ConsiderInstallFolder(const WideString& folder, const char16_t* source, bool developmentKit,
                               List<RuntimeCandidate, 134217727>& candidates);
    // No runtime found: the missing-runtime dialog. OK makes the browsed folder's library the
    // runtime and saves the folder; Cancel, or a dialog that cannot be shown (the message is then
    // printed), fails the selection.
    bool AskForRuntime();
    // "JRE Path" for the next start: the per-user file in console mode, the file beside the
    // executable in service mode, and the pair's file too. Failures are ignored.
    void SaveRuntimeFolder(const WideString& folder);
    // runtimeLibraryPath := the full path of a VM library found by the selection.
    void StoreRuntimeLibrary(const WideString& library);
    // Sets relaunchInPair when "Pair Product" is set and runtimeLibraryPath is built for the
    // other processor architecture.
    void CheckArchitecture();
    void UseExecutableFolderAsWorkingDirectory();
    // QZ_JVM_PATH and QZ_JVM_HOME for the Java program and what it starts, the library-path
    // option (first in vmOptions) and "Path": system path;old Path;runtime bin folder.
    void PrepareRuntimeEnvironment();
    // Class path, VM parameters, redirection targets and "Cmd" from the configuration. false
    // (message 209 for an empty class path) does not stop the run.
    bool AssembleLaunchConfiguration();
    // Appends what a relative or wildcard class-path entry finds, each name followed by ";",
    // and notes each in jars when class data sharing wants them.
    void AddClassPathMatches(const WideString& entry, WideString& classPath, ClassPathJars* jars);
    // One option per token of "Virtual Machine Parameters", quotes removed and memory sizes
    // expanded; the last "-Xss" sets runThreadStackSize.
    void AddVmParameters(const WideString& text, StringList& options);
    // The tokens of AddVmParameters with environment variables expanded, appended to vmOptions;
    // an option that is empty is left out. "-splash:<image>" is the launcher's own and sets
    // splashImage instead; "-Djava.awt.headless=" sets headless as the VM will read it.
    // %QZ_EXE_DIR% and %QZ_EXE_PATH% become folderForVm and pathForVm, the executable's paths in
    // a form the ANSI code page can spell.
    void AddVmParameterOptions(const WideString& text, const WideString& folderForVm,
                               const WideString& pathForVm);
    // "Class Data Sharing=auto": after the class path (whose jars were noted while it was
    // assembled) and the VM parameters, looks for the archive of this user, executable and
    // runtime, and hands it to the VM; anything in the way gives a trace line and a start as
    // without it.
    void PlanClassDataSharing(const ClassPathJars& jars);
    // The options for the archive at `archive` (a path the VM can read): HotSpot of Java 19 and
    // later makes and renews it itself; Java 13 to 18 makes it at exit when it is missing and maps
    // it otherwise; older runtimes, and VM parameters with sharing options of their own, get none.
    // Only a process that mayWrite is given options that write the archive.
    void AddClassDataSharingOptions(const WideString& archive, ArchiveState state, bool mayWrite);
    // Before any window: the DPI awareness the runtime's own launcher declares (per monitor for
    // Java 9 and later, system for Java 8), where a user-interface library is loaded or needed.
    void ApplyDpiAwareness();
    // Before the VM is created: the "-splash:" image through the runtime's splash-screen library.
    // Anything missing (library, image, display) gives a trace line and no splash, never a failure.
    void ShowSplashScreen();
    // On the run thread after VM creation: System.out and System.err into the configured files
    // (date patterns filled in). A failure leaves the console and is described by the VM.
    bool RedirectStandardStreams();
    bool RedirectError(const WideString& fileName, bool append);

    // VM hosting. Each reports its own failure (messages 222, 202, 203, 211, 215, 216).
    bool LoadVmLibrary(const WideString& vmLibraryPath);
    bool CreateJavaVm();
    bool InvokeMain();
    // The stack trace of a Java exception as text; empty when it cannot be produced.
    WideString ExceptionText(JNIEnv* env, jthrowable exception);

    // Configuration paths. GetModulePath prints message 202 with 208 on failure; the path is
    // read from the system once and kept.
    bool GetModulePath(WideString& out);
    bool GetProgramFolder(WideString& out);
    // Sets QZ_EXE_DIR, QZ_EXE_PATH and QZ_EXE_NAME to the executable's folder, path and base name,
    // over any value inherited, so that every INI value may name them and the program sees them.
    void PublishExecutablePaths();
    bool GetConfigurationFilePath(WideString& out);
    // Empty when the module path cannot be read or "APPDATA" is not a full path (unset, empty,
    // relative): then there is no per-user file.
    WideString GetPerUserConfigurationFilePath(bool createFolders);
    // Empty when pairProduct is empty or there is no per-user file; always creates the folders.
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
    WideString splashImage;  // the last "-splash:" of the VM parameters
    UniqueHandle classDataWriter;   // held while this process may write the archive
    bool headless = false;
    WideString pairProduct;
    bool waitForPair = false;
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    size_t runThreadStackSize = 0;  // 0: ask the VM
    UniqueHandle startedEvent;
    // Stays Running while DestroyJavaVM waits for the program's threads, so that a stop can
    // still reach it.
    std::atomic<MainProgress> mainProgress{MainProgress::NotStarted};
    // First instance: set at teardown; forwarded launches that wait for main give up.
    UniqueHandle forwardingClosed;
    // First instance: forwarded launches whose handler threads have not ended yet.
    std::atomic<int32_t> forwardedLaunchesRunning{0};
    // Second instance: the first instance's process, opened once to deliver and to wait.
    UniqueHandle primaryProcess;
    // First instance: set by a handler once it has copied a forwarded launch's arguments out of
    // the block, so that the next forwarding launch may write it.
    UniqueHandle argumentsTakenEvent;
    uint32_t instanceMessage = 0;  // the registered message, as this process registered it
    bool relaunchInPair = false;
    RuntimeSearch runtimeSearch = RuntimeSearch::kClassicFirst;  // "Runtime Search"
    bool startedByHandOver = false;  // this process is the pair a launch was handed over to
    // VM entry points resolved from the VM library; the last one may stay null.
    CreateJavaVmFunction createJavaVm = nullptr;
    GetDefaultJavaVmInitArgsFunction getDefaultJavaVmInitArgs = nullptr;
    FindClassFromBootLoaderFunction findClassFromBootLoader = nullptr;

private:
    WideString cachedModulePath;  // empty until GetModulePath first succeeds
    // What the settings' reads listed of the configuration file; the launch configuration's
    // reads use it too.
    ProfileListings configurationListings;
};
