#include <windows.h>

#include "launch/command_line.h"
#include "launch/launcher.h"
#include "modes/instance_block.h"
#include "support/handles.h"
#include "support/wide_win.h"

bool Launcher::Initialize() {
    ParseCommandLine(arguments);
    if (!ReadSettings()) return false;
    // Single-instance forwarding joins here.
    if (overrideWorkingDir) UseExecutableFolderAsWorkingDirectory();
    return SelectRuntime();
}

int32_t Launcher::Run() {
    if (relaunchInPair) {
        // The pair gets this process's own command line, unchanged; CreateProcessW may write to
        // its command-line buffer, so it gets a copy.
        std::u16string commandLine(U(GetCommandLineW()));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        const BOOL started = CreateProcessW(W(pairProduct), W(commandLine.data()), nullptr,
                                            nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
        UniqueHandle child(started ? process.hProcess : nullptr);
        UniqueHandle childThread(started ? process.hThread : nullptr);
        if (!waitForPair) return 0;
        if (!child) return 0;
        WaitForSingleObject(child.get(), INFINITE);
        DWORD exitCode = 0;
        if (!GetExitCodeProcess(child.get(), &exitCode)) return 0;
        return static_cast<int32_t>(exitCode);
    }
    if (singleInstance && !isPrimaryInstance) return WaitForPrimaryInstance();

    PrepareRuntimeEnvironment();
    if (!LoadVmLibrary(runtimeLibraryPath)) return -1;
    // The launch configuration (class path, VM parameters, redirection, "Cmd") joins here.
    return StartRunThread() == 0 ? 0 : -1;
}

int32_t Launcher::WaitForPrimaryInstance() {
    const auto* block = static_cast<const InstanceBlock*>(instanceBlock.get());
    if (!block) return 0;
    UniqueHandle primary(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, block->ownerProcessId));
    if (!primary) return 0;
    for (;;) {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) &&
            message.message == block->messageNumber) {
            return static_cast<int32_t>(message.wParam);
        }
        DWORD exitCode = 0;
        if (!GetExitCodeProcess(primary.get(), &exitCode)) return 0;
        if (exitCode != STILL_ACTIVE) return static_cast<int32_t>(exitCode);
        Sleep(100);
    }
}
