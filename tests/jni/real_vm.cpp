#include "jni/real_vm.h"

#include <pthread.h>
#include <unistd.h>

#include <cstdlib>

#include <gtest/gtest.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

#include "common/libjvm_binding.h"

namespace {
CapturedOutput* activeCapture = nullptr;

void ReleaseAbandonedCapture() {
    if (activeCapture) activeCapture->Finish();
}

class StderrExitListener final : public ExitListener {
public:
    void OnExit(int code) override { std::fprintf(stderr, "exit hook: %d\n", code); }
    void OnAbort() override {
        ReleaseAbandonedCapture();
        std::fputs("abort hook\n", stderr);
    }
};

// The Launcher itself lives on the test thread's stack, never in a static: a VM that ends the
// process from a thread of its own runs the static destructors while it exits.
struct {
    RealVm vm{RealVm::kAbsent, nullptr, ""};
    FindClassFromBootLoaderFunction findClassFromBootLoader = nullptr;
    bool creationTried = false;
} state;
StderrExitListener listener;

void Bind(Launcher& launcher) {
    state.vm.launcher = &launcher;
    const char* path = std::getenv("QZ_TEST_LIBJVM");
    if (!path || access(path, R_OK) != 0) {
        state.vm.reason = std::string("no VM on this machine: ") + (path ? path : "(none)");
        return;
    }
    state.vm.status = RealVm::kBroken;
    state.vm.reason = BindLibjvm(launcher, path);
    state.findClassFromBootLoader = launcher.findClassFromBootLoader;
    if (!state.vm.reason.empty()) return;
    launcher.vmOptions.Append("-Djava.class.path=" QZ_TEST_CLASSES);
    launcher.vmOptions.Append("-Xcheck:jni");
    launcher.exitListener = &listener;
    state.vm.status = RealVm::kReady;
}

void* RunTests(void* result) {
    Launcher launcher;
    Bind(launcher);
    *static_cast<int*>(result) = RUN_ALL_TESTS();
    state.vm.launcher = nullptr;
    return nullptr;  // ~Launcher destroys the VM on the thread that created it
}
}  // namespace

RealVm BoundVm(bool started) {
    if (started && state.vm.status == RealVm::kReady && !state.creationTried) {
        state.creationTried = true;
        if (!state.vm.launcher->CreateJavaVm()) {
            state.vm = {RealVm::kBroken, state.vm.launcher, "the launcher could not create the VM"};
        }
    }
    return state.vm;
}

FindClassFromBootLoaderFunction RealFindClassFromBootLoader() {
    return state.findClassFromBootLoader;
}

CapturedOutput::CapturedOutput() {
    std::fflush(nullptr);
    for (int fd : {1, 2}) {
        saved_[fd - 1] = dup(fd);
        files_[fd - 1] = std::tmpfile();
        if (saved_[fd - 1] < 0 || !files_[fd - 1] || dup2(fileno(files_[fd - 1]), fd) < 0) {
            std::perror("capturing output");
            std::abort();
        }
    }
    activeCapture = this;
}

// Puts both streams back and copies what they hold to them, with plain system calls only: this
// also runs when the process is about to die (a sanitizer report, a VM abort) so that the report
// is not lost in a temporary file.
void CapturedOutput::Finish() {
    if (activeCapture != this) return;
    activeCapture = nullptr;
    std::fflush(nullptr);
    for (int fd : {1, 2}) {
        std::string& text = fd == 1 ? out : err;
        dup2(saved_[fd - 1], fd);
        close(saved_[fd - 1]);
        lseek(fileno(files_[fd - 1]), 0, SEEK_SET);
        char buffer[4096];
        for (ssize_t n; (n = read(fileno(files_[fd - 1]), buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<size_t>(n));
            if (write(fd, buffer, static_cast<size_t>(n)) < 0) break;
        }
        std::fclose(files_[fd - 1]);
    }
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
