#include "jni/real_vm.h"

#include <pthread.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

#include "common/libjvm_binding.h"

namespace {
CapturedOutput* activeCapture = nullptr;

// Puts a captured stream back and copies what it holds to it, with plain system calls only: this
// also runs when the process is about to die (a sanitizer report, a VM abort) so that the report
// is not lost in a temporary file.
std::string Release(int fd, int saved, std::FILE* file) {
    dup2(saved, fd);
    close(saved);
    std::string text;
    char buffer[4096];
    lseek(fileno(file), 0, SEEK_SET);
    for (ssize_t n; (n = read(fileno(file), buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<size_t>(n));
        if (write(fd, buffer, static_cast<size_t>(n)) < 0) break;
    }
    return text;
}

void ReleaseAbandonedCapture() {
    if (activeCapture) activeCapture->Finish();
}

class StderrExitListener final : public ExitListener {
public:
    void OnExit(int code) override {
        std::fprintf(stderr, "exit hook: %d\n", code);
        std::fflush(stderr);
    }
    void OnAbort() override {
        ReleaseAbandonedCapture();
        std::fputs("abort hook\n", stderr);
        std::fflush(stderr);
    }
};

// The Launcher itself lives on the test thread's stack, never in a static: a VM that ends the
// process from a thread of its own runs the static destructors while it exits.
struct {
    Launcher* launcher = nullptr;
    RealVm::Status status = RealVm::kAbsent;
    std::string reason;
    FindClassFromBootLoaderFunction findClassFromBootLoader = nullptr;
    bool creationTried = false;
} state;
StderrExitListener listener;

void Bind(Launcher& launcher) {
    state.launcher = &launcher;
    const char* path = std::getenv("QZ_TEST_LIBJVM");
    if (!path || !*path) {
        state.reason = "QZ_TEST_LIBJVM names no libjvm.so";
        return;
    }
    if (access(path, R_OK) != 0) {
        state.reason = std::string("no VM on this machine: ") + path + " is absent";
        return;
    }
    state.status = RealVm::kBroken;
    state.reason = BindLibjvm(launcher, path);
    state.findClassFromBootLoader = launcher.findClassFromBootLoader;
    if (!state.reason.empty()) return;
    launcher.vmOptions.Append("-Djava.class.path=" QZ_TEST_CLASSES);
    launcher.vmOptions.Append("-Xcheck:jni");
    launcher.exitListener = &listener;
    state.status = RealVm::kReady;
}

void* RunTests(void* result) {
    Launcher launcher;
    Bind(launcher);
    *static_cast<int*>(result) = RUN_ALL_TESTS();
    state.launcher = nullptr;
    return nullptr;  // ~Launcher destroys the VM on the thread that created it
}
}  // namespace

RealVm BoundVm() { return {state.status, state.launcher, state.reason}; }

RealVm StartedVm() {
    if (state.status == RealVm::kReady && !state.creationTried) {
        state.creationTried = true;
        if (!state.launcher->CreateJavaVm()) {
            state.status = RealVm::kBroken;
            state.reason = "the launcher could not create the VM";
        }
    }
    return BoundVm();
}

FindClassFromBootLoaderFunction RealFindClassFromBootLoader() {
    return state.findClassFromBootLoader;
}

bool OnAttachedThread(Launcher& launcher, const std::function<void()>& work) {
    JNIEnv* const ownEnv = launcher.jniEnv;
    bool detached = false;
    std::thread([&] {
        JavaVM* vm = launcher.javaVm;
        JNIEnv* env = nullptr;
        if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
            ADD_FAILURE() << "AttachCurrentThread failed";
            return;
        }
        launcher.jniEnv = env;
        work();
        void* stillAttached = nullptr;
        detached = vm->GetEnv(&stillAttached, JNI_VERSION_1_2) == JNI_EDETACHED;
        if (!detached) vm->DetachCurrentThread();
    }).join();
    launcher.jniEnv = ownEnv;
    return detached;
}

CapturedOutput::CapturedOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    for (int i = 0; i < 2; ++i) {
        Stream& stream = streams_[i];
        stream = {i + 1, dup(i + 1), std::tmpfile()};
        if (stream.saved < 0 || !stream.file || dup2(fileno(stream.file), stream.fd) < 0) {
            std::perror("capturing output");
            std::abort();
        }
    }
    activeCapture = this;
}

void CapturedOutput::Finish() {
    if (activeCapture != this) return;
    activeCapture = nullptr;
    std::fflush(stdout);
    std::fflush(stderr);
    out = Release(streams_[0].fd, streams_[0].saved, streams_[0].file);
    err = Release(streams_[1].fd, streams_[1].saved, streams_[1].file);
    std::fclose(streams_[0].file);
    std::fclose(streams_[1].file);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(ReleaseAbandonedCapture);
#endif
    // A death test's child runs this binary afresh and so makes a VM of its own; forking a process
    // that already hosts a VM would copy one thread of it.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // HotSpot wants a VM made on a thread of its own rather than on the primordial one.
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, size_t{16} << 20);
    pthread_t thread;
    int result = 1;
    if (pthread_create(&thread, &attributes, RunTests, &result) != 0) return 1;
    pthread_join(thread, nullptr);
    return result;
}
