#include <windows.h>

#include <new>

#include "launch/launcher.h"
#include "modes/instance_block.h"
#include "modes/single_instance.h"
#include "support/handles_win.h"
#include "support/wide_win.h"
#include "vmhost/java_objects.h"

namespace {
// How long a forwarding launch waits for a first instance that is still starting.
constexpr DWORD kListenerWaitMs = 5000;
constexpr DWORD kRetryMs = 10;

InstanceBlock* BlockOf(const Launcher& launcher) {
    return static_cast<InstanceBlock*>(launcher.instanceBlock.get());
}

// Another process writes the block: every field is read anew, never cached by the compiler.
uint32_t Shared(const uint32_t& field) { return *static_cast<const volatile uint32_t*>(&field); }

void SwitchOff(Launcher& launcher) {
    launcher.singleInstance = false;
    launcher.isPrimaryInstance = false;
    launcher.instanceBlock.reset();
    launcher.instanceMapping.reset();
    launcher.startedEvent.reset();
    launcher.argumentsTakenEvent.reset();
}

// One forwarded launch, handed from the listener to its handler thread.
struct ForwardedLaunch {
    DWORD requestingThread;
    Launcher* launcher;
};

// Lets the forwarding launch go on once this handler is done with the block, on every path.
class ArgumentsTaken {
public:
    explicit ArgumentsTaken(const Launcher& launcher) : event_(launcher.argumentsTakenEvent.get()) {}
    ~ArgumentsTaken() { Signal(); }
    ArgumentsTaken(const ArgumentsTaken&) = delete;
    ArgumentsTaken& operator=(const ArgumentsTaken&) = delete;
    void Signal() {
        if (event_) SetEvent(event_);
        event_ = nullptr;
    }

private:
    HANDLE event_;
};

// Calls secondaryMain with the forwarded arguments and replies; false when there is nothing to
// call. Every local reference is released before the thread detaches.
void CallSecondaryMain(Launcher& launcher, JNIEnv* env, DWORD requestingThread,
                       ArgumentsTaken& taken) {
    LocalRef type(env, env->FindClass(ToNarrow(launcher.mainClass).c_str()));
    if (!type) return;
    const auto mainType = static_cast<jclass>(type.get());
    jmethodID method = env->GetStaticMethodID(mainType, "secondaryMain", "([Ljava/lang/String;)V");
    if (env->ExceptionCheck()) env->ExceptionClear();
    const bool returnsVoid = method != nullptr;
    if (!method) method = env->GetStaticMethodID(mainType, "secondaryMain", "([Ljava/lang/String;)I");
    if (!method) return;
    StringList arguments;
    ReadArguments(*BlockOf(launcher), arguments);
    taken.Signal();
    LocalRef array(env, NewStringArray(env, arguments));
    if (!array) return;
    if (returnsVoid) {
        PostThreadMessageW(requestingThread, launcher.instanceMessage, 0, 0);
        env->CallStaticVoidMethod(mainType, method, array.get());
        return;
    }
    const jint result = env->CallStaticIntMethod(mainType, method, array.get());
    PostThreadMessageW(requestingThread, launcher.instanceMessage,
                       static_cast<WPARAM>(static_cast<intptr_t>(result)), 0);
}

DWORD WINAPI ServeForwardedLaunch(void* parameter) {
    const ForwardedLaunch request = *static_cast<ForwardedLaunch*>(parameter);
    delete static_cast<ForwardedLaunch*>(parameter);
    Launcher& launcher = *request.launcher;
    ArgumentsTaken taken(launcher);
    // Requests that come while the program starts wait here until main is about to run.
    if (launcher.startedEvent) WaitForSingleObject(launcher.startedEvent.get(), INFINITE);
    JNIEnv* env = nullptr;
    if (!launcher.javaVm ||
        launcher.javaVm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK)
        return 0;
    CallSecondaryMain(launcher, env, request.requestingThread, taken);
    if (env->ExceptionCheck()) env->ExceptionDescribe();
    // Some vendors' VMs must keep the thread attached until it ends.
    if (!launcher.ibmAccepted && !launcher.ibmFavored) launcher.javaVm->DetachCurrentThread();
    return 0;
}

DWORD WINAPI Listen(void* parameter) {
    Launcher& launcher = *static_cast<Launcher*>(parameter);
    MSG message;
    // The queue exists from here on, so a forwarding launch can post to this thread.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != launcher.instanceMessage) continue;
        auto* request = new (std::nothrow)
            ForwardedLaunch{static_cast<DWORD>(message.wParam), &launcher};
        if (!request) continue;
        UniqueHandle handler(CreateThread(nullptr, 0, ServeForwardedLaunch, request, 0, nullptr));
        if (!handler) delete request;
    }
    return 0;
}

bool StartFirstInstance(Launcher& launcher, const WideString& name) {
    InstanceBlock& block = *BlockOf(launcher);
    // A failure of either event is not fatal: handlers then go ahead at once, and forwarding
    // launches do not wait for their arguments to be taken.
    launcher.startedEvent.reset(CreateEventW(nullptr, TRUE, FALSE, W(name + u"_upr_evt")));
    launcher.argumentsTakenEvent.reset(CreateEventW(nullptr, FALSE, FALSE, W(name + u"_upr_ack")));
    launcher.instanceMessage = RegisterWindowMessageW(W(name));
    if (launcher.instanceMessage == 0) return false;
    block.messageNumber = launcher.instanceMessage;
    block.ownerProcessId = GetCurrentProcessId();
    // The thread id goes straight into the block: a forwarding launch waits for it.
    launcher.listenerThread.reset(CreateThread(nullptr, 0, Listen, &launcher, 0,
                                               reinterpret_cast<DWORD*>(&block.listenerThreadId)));
    return launcher.listenerThread.valid();
}

// Waits for one of two objects; which one, or -1 on failure.
int WaitForEither(HANDLE first, HANDLE second) {
    HANDLE both[] = {first, second};
    const DWORD result = WaitForMultipleObjects(2, both, FALSE, INFINITE);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0) return 0;
    if (result == WAIT_OBJECT_0 + 1 || result == WAIT_ABANDONED_0 + 1) return 1;
    return -1;
}

// Writes the arguments, posts the request and waits until the first instance has taken them.
bool Deliver(Launcher& launcher, HANDLE primary, const WideString& name) {
    InstanceBlock& block = *BlockOf(launcher);
    if (!WriteArguments(launcher.arguments, block)) return false;
    UniqueHandle taken(OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, W(name + u"_upr_ack")));
    if (taken) ResetEvent(taken.get());  // a launch that died before waiting may have left it set
    MSG message;
    // The reply comes as a thread message: this thread needs its queue before it asks.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    const DWORD start = GetTickCount();
    // The listener's queue may not exist yet while the first instance starts.
    while (!PostThreadMessageW(Shared(block.listenerThreadId), Shared(block.messageNumber),
                               GetCurrentThreadId(), 0)) {
        if (GetTickCount() - start > kListenerWaitMs ||
            WaitForSingleObject(primary, kRetryMs) != WAIT_TIMEOUT)
            return false;
    }
    if (taken) WaitForEither(taken.get(), primary);
    return true;
}

// A later launch: one at a time, each delivers its own arguments and gets its own reply.
bool ForwardLaunch(Launcher& launcher, const WideString& name) {
    const InstanceBlock& block = *BlockOf(launcher);
    const DWORD start = GetTickCount();
    while (Shared(block.listenerThreadId) == 0 || Shared(block.messageNumber) == 0 ||
           Shared(block.ownerProcessId) == 0) {
        if (GetTickCount() - start > kListenerWaitMs) return false;
        Sleep(kRetryMs);
    }
    UniqueHandle primary(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE,
                                     Shared(block.ownerProcessId)));
    // Gone already: the run step reports what became of it.
    if (!primary) return true;
    UniqueHandle turn(CreateMutexW(nullptr, FALSE, W(name + u"_upr_lock")));
    if (!turn) return Deliver(launcher, primary.get(), name);
    // A first instance that ends while this launch waits for its turn ends the wait as well.
    if (WaitForEither(turn.get(), primary.get()) != 0) return true;
    const bool delivered = Deliver(launcher, primary.get(), name);
    ReleaseMutex(turn.get());
    return delivered;
}
}  // namespace

bool SingleInstanceGuard::Apply(Launcher& launcher) {
    if (!launcher.singleInstance) return true;
    WideString modulePath;
    if (!launcher.GetModulePath(modulePath)) return false;
    const WideString name = InstanceName(modulePath);
    UniqueHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(InstanceBlock), W(name)));
    const DWORD created = GetLastError();
    if (!mapping) {
        SwitchOff(launcher);
        return true;
    }
    UniqueView view(MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0,
                                  sizeof(InstanceBlock)));
    if (!view) {
        SwitchOff(launcher);
        return true;
    }
    launcher.instanceMapping = std::move(mapping);
    launcher.instanceBlock = std::move(view);
    launcher.isPrimaryInstance = created != ERROR_ALREADY_EXISTS;
    if (!launcher.isPrimaryInstance) return ForwardLaunch(launcher, name);
    if (!StartFirstInstance(launcher, name)) SwitchOff(launcher);
    return true;
}

void SingleInstanceGuard::Release(Launcher& launcher) {
    if (launcher.listenerThread) {
        // The quit message is posted again until the listener has really ended: one posted
        // before its queue existed would be lost.
        const DWORD listener = GetThreadId(launcher.listenerThread.get());
        do {
            PostThreadMessageW(listener, WM_QUIT, 0, 0);
        } while (WaitForSingleObject(launcher.listenerThread.get(), 50) == WAIT_TIMEOUT);
        launcher.listenerThread.reset();
    }
    launcher.instanceBlock.reset();
    launcher.instanceMapping.reset();
    launcher.startedEvent.reset();
    launcher.argumentsTakenEvent.reset();
}
