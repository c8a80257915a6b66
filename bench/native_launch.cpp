// The launcher's own VM hosting on a real HotSpot, for the start-up benchmark on Linux: what the
// Windows executable does once it has chosen a runtime, with the platform-neutral core the
// deliverables are built from.
//
//   native_launch [--class-data-sharing <archive>] <libjvm.so> <class path> <main class> [argument...]
//
// With --class-data-sharing, the options "Class Data Sharing=auto" gives this runtime (its version
// from the release file of the JDK that holds libjvm.so), the archive at <archive>.
//
// It binds the three exports the launcher resolves (JNI_CreateJavaVM,
// JNI_GetDefaultJavaVMInitArgs, JVM_FindClassFromBootLoader), passes -Djava.class.path, and runs
// Launcher::RunThreadProcedure (create the VM, call main through the JDK's launcher helper,
// detach) on a thread of its own with the VM's default Java stack size, as StartRunThread does on
// Windows. The Launcher's destructor then destroys the VM on the main thread, which waits for the
// program's other threads as the java command does.
//
// Exit code 0 when main returned, 1 when the VM, the class or main failed, 2 when the library or
// one of its exports is missing.
#include <pthread.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "common/libjvm_binding.h"
#include "launch/launcher.h"
#include "runtime/registry_search.h"
#include "support/utf8.h"

namespace {
struct RunThreadWork {
    Launcher* launcher;
    uint32_t exitCode;
};

void* RunThread(void* parameter) {
    auto* work = static_cast<RunThreadWork*>(parameter);
    work->exitCode = work->launcher->RunThreadProcedure();
    return nullptr;
}

// The run thread with the VM's default stack size; false when no thread could be made with it.
bool StartRunThread(Launcher& launcher, uint32_t& exitCode) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    const size_t stackSize = launcher.DefaultThreadStackSize();
    if (stackSize > 0) pthread_attr_setstacksize(&attributes, stackSize);
    RunThreadWork work{&launcher, 1};
    pthread_t thread;
    const bool started = pthread_create(&thread, &attributes, RunThread, &work) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) return false;
    pthread_join(thread, nullptr);
    exitCode = work.exitCode;
    return true;
}

// The JDK's release file (<jdk>/release for <jdk>/lib/server/libjvm.so) and the archive's header.
void ShareClassData(Launcher& launcher, const std::string& library, const char* archive) {
    const std::string home = library.substr(0, library.rfind("/lib/server/"));
    std::ifstream release(home + "/release");
    const std::string content(std::istreambuf_iterator<char>(release), {});
    ReleaseFileVersion(content, launcher.runtimeVersion);
    unsigned char header[4] = {};
    std::ifstream file(archive, std::ios::binary);
    file.read(reinterpret_cast<char*>(header), sizeof header);
    launcher.AddClassDataSharingOptions(DecodeUtf8(archive),
                                        ArchiveStateOf(header, static_cast<size_t>(file.gcount())),
                                        true);
}
}  // namespace

int main(int argc, char** argv) {
    const char* archive = nullptr;
    if (argc > 2 && std::string(argv[1]) == "--class-data-sharing") {
        archive = argv[2];
        argc -= 2;
        argv += 2;
    }
    if (argc < 4) {
        std::fputs("usage: native_launch [--class-data-sharing <archive>] <libjvm.so> <class path> "
                   "<main class> [argument...]\n",
                   stderr);
        return 2;
    }
    Launcher launcher;
    if (const std::string error = BindLibjvm(launcher, argv[1]); !error.empty()) {
        std::fprintf(stderr, "native_launch: %s\n", error.c_str());
        return 2;
    }
    NarrowString classPath("-Djava.class.path=");
    classPath.Append(argv[2]);
    launcher.vmOptions.Append(std::move(classPath));
    if (archive) ShareClassData(launcher, argv[1], archive);
    launcher.mainClass = DecodeUtf8(argv[3]);
    launcher.mainClass.ReplaceUnit(u'.', u'/');
    for (int i = 4; i < argc; ++i) launcher.arguments.Append(DecodeUtf8(argv[i]));
    uint32_t exitCode = 1;
    // HotSpot wants its VM made on a thread other than the primordial one.
    if (!StartRunThread(launcher, exitCode)) return 1;
    return exitCode == 0 ? 0 : 1;
}
