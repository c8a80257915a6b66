#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "launch/launcher.h"

// The process's one Launcher, bound to the libjvm.so named by QZ_TEST_LIBJVM: its three exports,
// the test classes as class path, -Xcheck:jni, and an exit listener that writes
// "exit hook: <code>" and "abort hook" lines to standard error. One VM per process: it is created
// on first use, on the test thread (a thread with a large stack, not the primordial one), which
// then stays attached; the launcher destroys it after the last test.
struct RealVm {
    enum Status { kReady, kAbsent, kBroken };
    Status status;
    Launcher* launcher;
    std::string reason;  // why the library is absent or broken
};

// The bound launcher; with `started`, its VM created too.
RealVm BoundVm(bool started);
// The library's own JVM_FindClassFromBootLoader, for switching the lookup route back on.
FindClassFromBootLoaderFunction RealFindClassFromBootLoader();

// Captures what the whole process writes to standard output and error, the VM included, while it
// lives. Finish() restores both streams and echoes the captured text to them, so that a JNI
// warning printed meanwhile still reaches the test's output check; a sanitizer report or a VM
// abort finishes it too.
class CapturedOutput {
public:
    CapturedOutput();
    ~CapturedOutput() { Finish(); }
    void Finish();

    std::string out;
    std::string err;

private:
    int saved_[2];
    std::FILE* files_[2];
};
