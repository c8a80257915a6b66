#include <windows.h>

#include "launch/command_line.h"
#include "launch/launcher.h"
#include "launch/messages.h"
#include "modes/instance_block.h"
#include "modes/single_instance.h"
#include "support/handles.h"
#include "support/paths.h"
#include "support/trace.h"
#include "support/wide_win.h"

namespace {
// Set in the environment a paired executable inherits: a launch is handed over once at most,
// so two launchers that each find the other's runtime cannot start each other without end.
constexpr wchar_t kHandOverMarker[] = L"QZ_PAIR_HANDOVER";

// Whether this process was started by a hand-over. The marker is removed at once, so that the
// Java program and the processes it starts (another launch among them) never see it.
bool TakeHandOverMarker() {
    if (GetEnvironmentVariableW(kHandOverMarker, nullptr, 0) == 0) return false;
    SetEnvironmentVariableW(kHandOverMarker, nullptr);
    return true;
}

void ReportPairError(int32_t messageId, const WideString& pairProduct) {
    WideString text;
    FormatResourceMessage(text, messageId, {pairProduct});
    PrintError(text);
}
}  // namespace

bool Launcher::Initialize() {
    startedByHandOver = TakeHandOverMarker();
    PublishExecutablePaths();
    ParseCommandLine(arguments);
    if (!ReadSettings()) return false;
    if (!SingleInstanceGuard::Apply(*this)) return false;
    // A forwarding launch needs no runtime: it only waits for the running instance's reply.
    if (singleInstance && !isPrimaryInstance) return true;
    if (overrideWorkingDir) UseExecutableFolderAsWorkingDirectory();
    return SelectRuntime();
}

bool Launcher::IsThisExecutable(const WideString& path) {
    WideString own;
    WideString full;
    if (!GetModulePath(own) || !FullPathName(path, full)) return false;
    if (HasLongPathPrefix(full) && full.Length() > 5 && full[5] == u':') full = full.Mid(4);
    return SamePath(own, full);
}

int32_t Launcher::RelaunchInPair() {
    if (IsThisExecutable(pairProduct)) {
        ReportPairError(kMsgPairIsThisExecutable, pairProduct);
        return -1;
    }
    if (startedByHandOver) {
        ReportPairError(kMsgPairHandsBack, pairProduct);
        return -1;
    }
    SetEnvironmentVariableW(kHandOverMarker, L"1");
    // The pair gets this process's own command line, unchanged; CreateProcessW may write to its
    // command-line buffer, so it gets a copy.
    const std::u16string_view original(U(GetCommandLineW()));
    WideString commandLine;
    char16_t* writable = commandLine.Buffer(static_cast<int32_t>(original.size()));
    original.copy(writable, original.size());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(W(pairProduct), W(writable), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        // The application never ran: that is a failed launch, whether or not the caller waits.
        const DWORD error = GetLastError();
        WideString text;
        FormatResourceMessage(text, kMsgPairNotStarted,
                              {pairProduct, static_cast<int32_t>(error)});
        PrintError(text);
        return -1;
    }
    UniqueHandle child(process.hProcess);
    UniqueHandle childThread(process.hThread);
    if (!waitForPair) return 0;
    WaitForSingleObject(child.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(child.get(), &exitCode)) return 0;
    return static_cast<int32_t>(exitCode);
}

int32_t Launcher::Run() {
    if (relaunchInPair) {
        const int32_t code = RelaunchInPair();
        Trace(u"exit code %d: the launch was handed over to Pair Product %s", {code, pairProduct});
        return code;
    }
    if (singleInstance && !isPrimaryInstance) {
        const int32_t code = WaitForPrimaryInstance();
        Trace(u"exit code %d: the running instance's reply (or its exit code)", {code});
        return code;
    }

    PrepareRuntimeEnvironment();
    if (!LoadVmLibrary(runtimeLibraryPath)) {
        Trace(u"exit code -1: the VM library could not be loaded");
        return -1;
    }
    // Without a class path the VM still starts: the program may come from the runtime itself.
    AssembleLaunchConfiguration();
    ApplyDpiAwareness();
    ShowSplashScreen();
    if (StartRunThread() == 0) {
        Trace(u"exit code 0: main returned and its thread left the VM");
        return 0;
    }
    Trace(u"exit code -1: the VM, the main class or main failed (see above)");
    return -1;
}

int32_t Launcher::WaitForPrimaryInstance() {
    const auto* block = static_cast<const InstanceBlock*>(instanceBlock.get());
    // Opened when the request was delivered; without it there is nothing to wait for.
    if (!block || !primaryProcess) return -1;
    HANDLE primaryHandle = primaryProcess.get();
    for (;;) {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) &&
            message.message == block->messageNumber) {
            return static_cast<int32_t>(message.wParam);
        }
        DWORD exitCode = 0;
        if (!GetExitCodeProcess(primaryHandle, &exitCode)) return -1;
        if (exitCode != STILL_ACTIVE) return static_cast<int32_t>(exitCode);
        // Wakes for the reply or the first instance's end at once, else after 100 ms.
        MsgWaitForMultipleObjects(1, &primaryHandle, FALSE, 100, QS_ALLPOSTMESSAGE);
    }
}
