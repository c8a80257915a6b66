#include <windows.h>

#include <new>

#include "launch/launcher.h"
#include "modes/instance_block.h"
#include "modes/single_instance.h"
#include "support/growing_read.h"
#include "support/handles_win.h"
#include "support/trace.h"
#include "support/wide_win.h"
#include "vmhost/java_objects.h"

namespace {
// How long a forwarding launch waits for a first instance that is still starting.
constexpr DWORD kListenerWaitMs = 5000;
constexpr DWORD kRetryMs = 10;
// The reply to a launch that the first instance could not serve: it ends with -1.
constexpr WPARAM kNotServed = static_cast<WPARAM>(static_cast<intptr_t>(-1));

InstanceBlock* BlockOf(const Launcher& launcher) {
    return static_cast<InstanceBlock*>(launcher.instanceBlock.get());
}

// Another process writes the block: every field is read and written anew, never cached by the
// compiler.
uint32_t Shared(const uint32_t& field) { return *static_cast<const volatile uint32_t*>(&field); }
void StoreShared(uint32_t& field, uint32_t value) {
    *static_cast<volatile uint32_t*>(&field) = value;
}

void SwitchOff(Launcher& launcher) {
    launcher.singleInstance = false;
    launcher.isPrimaryInstance = false;
    launcher.instanceBlock.reset();
    launcher.instanceMapping.reset();
    launcher.startedEvent.reset();
    launcher.argumentsTakenEvent.reset();
    launcher.forwardingClosed.reset();
}

// The executable's path as the file system spells it, so that every spelling of one executable
// (other letter case, a short name) names the same instance; the path as started when the
// file system cannot say.
WideString FileSystemSpelling(const WideString& modulePath) {
    UniqueFile file(CreateFileW(W(modulePath), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file) return modulePath;
    const WideString final = ReadGrowing(
        MAX_PATH,
        [&file](char16_t* buffer, int32_t size) {
            return GetFinalPathNameByHandleW(file.get(), W(buffer), static_cast<DWORD>(size),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        },
        [](uint32_t written, int32_t size) { return written >= static_cast<uint32_t>(size); });
    // The answer carries the long-path prefix: "\\?\C:\..." or "\\?\UNC\server\share\...".
    const std::u16string_view text = final.View();
    if (text.substr(0, 8) == u"\\\\?\\UNC\\") return WideString(u"\\") + final.Mid(7);
    if (text.substr(0, 4) == u"\\\\?\\") return final.Mid(4);
    return modulePath;
}

// One forwarded launch, handed from the listener to its handler thread: who asked.
struct ForwardedLaunch {
    DWORD requestingThread;
    DWORD requestingProcess;
    Launcher* launcher;
};

// Replies only to the thread that asked: once that launch has ended, its thread id may belong to
// a thread of another process.
void Reply(const ForwardedLaunch& request, WPARAM result) {
    UniqueHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE,
                                   request.requestingThread));
    if (thread ? GetProcessIdOfThread(thread.get()) != request.requestingProcess
               : GetLastError() == ERROR_INVALID_PARAMETER)
        return;
    PostThreadMessageW(request.requestingThread, request.launcher->instanceMessage, result, 0);
}

// Whether the block holds this launch's request.
bool HoldsRequest(const InstanceBlock& block, const ForwardedLaunch& request) {
    MemoryBarrier();
    return Shared(block.requestProcessId) == request.requestingProcess &&
           Shared(block.requestThreadId) == request.requestingThread;
}

// Lets the forwarding launch go on once its arguments are copied out of the block.
void SignalArgumentsTaken(const Launcher& launcher) {
    if (launcher.argumentsTakenEvent) SetEvent(launcher.argumentsTakenEvent.get());
}

// The launch's own arguments, copied out of the block; false when the block holds another
// launch's (the asking launch died and a later one wrote over its request).
bool TakeArguments(const Launcher& launcher, const ForwardedLaunch& request,
                   StringList& arguments) {
    const InstanceBlock& block = *BlockOf(launcher);
    if (!HoldsRequest(block, request)) return false;
    ReadArguments(block, arguments);
    // Still this launch's after the copy: nothing was written over it meanwhile.
    if (!HoldsRequest(block, request)) return false;
    SignalArgumentsTaken(launcher);
    return true;
}

// Waits for one of two objects; which one, or -1 on failure.
int WaitForEither(HANDLE first, HANDLE second) {
    HANDLE both[] = {first, second};
    const DWORD result = WaitForMultipleObjects(2, both, FALSE, INFINITE);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0) return 0;
    if (result == WAIT_OBJECT_0 + 1 || result == WAIT_ABANDONED_0 + 1) return 1;
    return -1;
}

// Calls secondaryMain with the forwarded arguments and replies. Every local reference is
// released before the thread detaches.
void CallSecondaryMain(Launcher& launcher, JNIEnv* env, const ForwardedLaunch& request,
                       const StringList& arguments) {
    LocalRef type(env, env->FindClass(ToNarrow(launcher.mainClass).c_str()));
    if (!type) return;
    const auto mainType = static_cast<jclass>(type.get());
    jmethodID method = env->GetStaticMethodID(mainType, "secondaryMain", "([Ljava/lang/String;)V");
    if (env->ExceptionCheck()) env->ExceptionClear();
    const bool returnsVoid = method != nullptr;
    if (!method) method = env->GetStaticMethodID(mainType, "secondaryMain", "([Ljava/lang/String;)I");
    if (!method) return;
    LocalRef array(env, NewStringArray(env, arguments));
    if (!array) return;
    if (returnsVoid) {
        Reply(request, 0);
        env->CallStaticVoidMethod(mainType, method, array.get());
        return;
    }
    const jint result = env->CallStaticIntMethod(mainType, method, array.get());
    Reply(request, static_cast<WPARAM>(static_cast<intptr_t>(result)));
}

void Serve(Launcher& launcher, const ForwardedLaunch& request) {
    StringList arguments;
    if (!TakeArguments(launcher, request, arguments)) return;
    // Launches that come while the program starts wait here until main is about to run; at
    // teardown they give up (the first object wins when both are set), and their launches end
    // with this process's exit code.
    if (WaitForEither(launcher.forwardingClosed.get(), launcher.startedEvent.get()) != 1) return;
    JNIEnv* env = nullptr;
    if (launcher.mainProgress.load() != MainProgress::Running ||
        launcher.javaVm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK)
        return;
    CallSecondaryMain(launcher, env, request, arguments);
    if (env->ExceptionCheck()) env->ExceptionDescribe();
    // Some vendors' VMs must keep the thread attached until it ends.
    if (!launcher.ibmAccepted && !launcher.ibmFavored) launcher.javaVm->DetachCurrentThread();
}

DWORD WINAPI ServeForwardedLaunch(void* parameter) {
    const ForwardedLaunch request = *static_cast<ForwardedLaunch*>(parameter);
    delete static_cast<ForwardedLaunch*>(parameter);
    Serve(*request.launcher, request);
    // Teardown waits for this before it destroys the VM and closes the events.
    request.launcher->forwardedLaunchesRunning.fetch_sub(1);
    return 0;
}

DWORD WINAPI Listen(void* parameter) {
    Launcher& launcher = *static_cast<Launcher*>(parameter);
    MSG message;
    // The queue exists from here on, so a forwarding launch can post to this thread.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != launcher.instanceMessage) continue;
        const ForwardedLaunch request{static_cast<DWORD>(message.wParam),
                                      static_cast<DWORD>(message.lParam), &launcher};
        launcher.forwardedLaunchesRunning.fetch_add(1);
        auto* handed = new (std::nothrow) ForwardedLaunch(request);
        UniqueHandle handler(handed ? CreateThread(nullptr, 0, ServeForwardedLaunch, handed, 0,
                                                   nullptr)
                                    : nullptr);
        if (handler) continue;
        delete handed;
        launcher.forwardedLaunchesRunning.fetch_sub(1);
        // Without a handler the launch learns it at once, and the next one need not wait.
        if (HoldsRequest(*BlockOf(launcher), request)) SignalArgumentsTaken(launcher);
        Reply(request, kNotServed);
    }
    return 0;
}

bool StartFirstInstance(Launcher& launcher, const WideString& name) {
    InstanceBlock& block = *BlockOf(launcher);
    launcher.startedEvent.reset(CreateEventW(nullptr, TRUE, FALSE, W(name + u"_upr_evt")));
    launcher.forwardingClosed.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    // Without them a handler could not wait for main safely.
    if (!launcher.startedEvent || !launcher.forwardingClosed) return false;
    // Without it, forwarding launches do not wait for their arguments to be taken.
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

// Writes the arguments with this launch's tag, posts the request and waits until the first
// instance has taken them. true also when the first instance ended meanwhile: the run step then
// ends with its exit code.
bool Deliver(Launcher& launcher, HANDLE primary, const WideString& name) {
    InstanceBlock& block = *BlockOf(launcher);
    // The tag goes first and comes back last: a handler that looks while the arguments change
    // finds no launch of its own there.
    StoreShared(block.requestProcessId, 0);
    StoreShared(block.requestThreadId, 0);
    MemoryBarrier();
    if (!WriteArguments(launcher.arguments, block)) {
        Trace(u"single instance: the arguments do not fit the running instance's block");
        return false;
    }
    MemoryBarrier();
    StoreShared(block.requestProcessId, GetCurrentProcessId());
    StoreShared(block.requestThreadId, GetCurrentThreadId());
    UniqueHandle taken(OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, W(name + u"_upr_ack")));
    if (taken) ResetEvent(taken.get());  // a launch that died before waiting may have left it set
    MSG message;
    // The reply comes as a thread message: this thread needs its queue before it asks.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    const DWORD start = GetTickCount();
    while (!PostThreadMessageW(Shared(block.listenerThreadId), Shared(block.messageNumber),
                               GetCurrentThreadId(), GetCurrentProcessId())) {
        const DWORD error = GetLastError();
        // Only a listener whose queue does not exist yet is worth waiting for; any other refusal
        // (a first instance of higher integrity refuses the post) is final.
        if (error != ERROR_INVALID_THREAD_ID) {
            Trace(u"single instance: the running instance refused the request (error %d)",
                  {static_cast<int32_t>(error)});
            return false;
        }
        const DWORD waited = WaitForSingleObject(primary, kRetryMs);
        if (waited == WAIT_OBJECT_0) return true;
        if (waited != WAIT_TIMEOUT || GetTickCount() - start > kListenerWaitMs) {
            Trace(u"single instance: the running instance's listener never took the request");
            return false;
        }
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
    const DWORD owner = Shared(block.ownerProcessId);
    // The least rights that serve: a first instance of higher integrity still grants these.
    launcher.primaryProcess.reset(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, owner));
    if (!launcher.primaryProcess) {
        const DWORD error = GetLastError();
        Trace(error == ERROR_INVALID_PARAMETER
                  ? u"single instance: the running instance (process %d) has ended; the "
                    u"arguments are not delivered"
                  : u"single instance: the running instance (process %d) cannot be opened (error "
                    u"%d); the arguments are not delivered",
              {static_cast<int32_t>(owner), static_cast<int32_t>(error)});
        return false;
    }
    const HANDLE primary = launcher.primaryProcess.get();
    UniqueHandle turn(CreateMutexW(nullptr, FALSE, W(name + u"_upr_lock")));
    if (!turn) return Deliver(launcher, primary, name);
    // A first instance that ends while this launch waits for its turn ends the wait as well, and
    // its exit code is the answer. A turn left by a launch that died is taken as it is: its
    // request carries that launch's tag, so it cannot take this one's arguments.
    const int waited = WaitForEither(turn.get(), primary);
    if (waited != 0) return waited == 1;
    const bool delivered = Deliver(launcher, primary, name);
    ReleaseMutex(turn.get());
    return delivered;
}
}  // namespace

bool SingleInstanceGuard::Apply(Launcher& launcher) {
    if (!launcher.singleInstance) return true;
    WideString modulePath;
    if (!launcher.GetModulePath(modulePath)) return false;
    const WideString name = InstanceName(FileSystemSpelling(modulePath));
    Trace(u"single instance: instance name %s", {name});
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

void SingleInstanceGuard::StopForwarding(Launcher& launcher) {
    if (!launcher.listenerThread) return;
    // The quit message is posted again until the listener has really ended: one posted before
    // its queue existed would be lost. A launch that comes after this finds no listener and ends
    // with this process's exit code.
    const DWORD listener = GetThreadId(launcher.listenerThread.get());
    do {
        PostThreadMessageW(listener, WM_QUIT, 0, 0);
    } while (WaitForSingleObject(launcher.listenerThread.get(), 50) == WAIT_TIMEOUT);
    launcher.listenerThread.reset();
    // Handlers still waiting for main give up; a running secondaryMain ends before the VM goes.
    SetEvent(launcher.forwardingClosed.get());
    while (launcher.forwardedLaunchesRunning.load() > 0) Sleep(kRetryMs);
}

void SingleInstanceGuard::Release(Launcher& launcher) {
    StopForwarding(launcher);
    launcher.instanceBlock.reset();
    launcher.instanceMapping.reset();
    launcher.startedEvent.reset();
    launcher.argumentsTakenEvent.reset();
    launcher.forwardingClosed.reset();
    launcher.primaryProcess.reset();
}
