#include <vector>

#include "launch/launcher.h"
#include "launch/messages.h"
#include "support/trace.h"
#include "vmhost/vm_hooks.h"

namespace {
// The reason for a JNI_CreateJavaVM result; empty outside -1..-6.
WideString CreationFailureReason(jint result) {
    static const int32_t reasons[] = {kMsgReasonUnknown, kMsgReasonDetached, kMsgReasonVersion,
                                      kMsgReasonMemory,  kMsgReasonExists,   kMsgReasonArguments};
    if (result > -1 || result < -6) return WideString();
    return LoadMessage(reasons[-result - 1]);
}
}  // namespace

bool Launcher::CreateJavaVm() {
    if (!createJavaVm) return false;
    // The option texts stay owned by vmOptions; the array lives only for the call.
    std::vector<JavaVMOption> options;
    options.reserve(static_cast<size_t>(vmOptions.Count()) + 2);
    for (const NarrowString& text : vmOptions) {
        options.push_back({const_cast<char*>(text.c_str()), nullptr});
        Trace(u"VM option: %s", {FromNarrow(text.View())});
    }
    Trace(u"VM option: abort (the launcher's hook)");
    Trace(u"VM option: exit (the launcher's hook)");
    static char abortOption[] = "abort";
    static char exitOption[] = "exit";
    options.push_back({abortOption, reinterpret_cast<void*>(&VmAbortHook)});
    options.push_back({exitOption, reinterpret_cast<void*>(&VmExitHook)});

    JavaVMInitArgs args{};
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.data();
    args.ignoreUnrecognized = JNI_FALSE;

    JavaVM* vm = nullptr;
    void* env = nullptr;
    const jint result = createJavaVm(&vm, &env, &args);
    if (result == JNI_OK) {
        javaVm = vm;
        jniEnv = static_cast<JNIEnv*>(env);
        return true;
    }
    ReportError(LoadMessage(kMsgJniException), LoadMessage(kMsgCreateVmFailed),
                CreationFailureReason(result));
    return false;
}

size_t Launcher::DefaultThreadStackSize() {
    if (!getDefaultJavaVmInitArgs) return 0;
    JDK1_1InitArgs args{};
    args.version = JNI_VERSION_1_1;
    getDefaultJavaVmInitArgs(&args);
    return args.javaStackSize > 0 ? static_cast<size_t>(args.javaStackSize) : 0;
}

uint32_t Launcher::RunThreadProcedure() {
    CaptureErrorStreamUntilMain();
    if (!CreateJavaVm()) return 1;
    RedirectStandardStreams();
    if (InvokeMain()) return 0;
    // A failed run would leave this thread attached, and teardown's DestroyJavaVM waits for
    // every attached thread to end: without the detach it would wait forever.
    javaVm->DetachCurrentThread();
    return 1;
}
