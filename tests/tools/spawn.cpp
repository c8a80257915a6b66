// Starts a program with an exact command line, which `wine program args...` cannot give (it
// quotes and escapes the arguments itself). Usage: spawn.exe <program>; the command line is the
// UTF-16LE content of the file named by QZ_SPAWN_COMMAND_FILE. Returns the program's exit code,
// and prints it whole ("exit code: N") when QZ_SPAWN_PRINT_EXIT_CODE is set: a POSIX parent sees
// only its low eight bits. QZ_SPAWN_NO_STANDARD_HANDLES starts the program without standard
// handles, as Explorer starts a windowless program. QZ_SPAWN_LOCKED_INSTANCE names a
// single-instance block that spawn holds while the program runs, whose first instance is a process
// nobody may open.
#include "tool.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 120;
    wchar_t file[MAX_PATH];
    if (!GetEnvironmentVariableW(L"QZ_SPAWN_COMMAND_FILE", file, MAX_PATH)) return 121;
    std::vector<BYTE> bytes;
    if (!ReadFileBytes(file, bytes)) return 122;
    std::wstring commandLine(reinterpret_cast<const wchar_t*>(bytes.data()),
                             bytes.size() / sizeof(wchar_t));

    wchar_t instance[MAX_PATH];
    HANDLE block = nullptr;
    HANDLE owner = nullptr;
    if (GetEnvironmentVariableW(L"QZ_SPAWN_LOCKED_INSTANCE", instance, MAX_PATH)) {
        // The first instance: a process that nobody may open (an empty access list), as one that
        // runs with higher rights looks to an ordinary launch.
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        ACL empty;
        InitializeAcl(&empty, sizeof empty, ACL_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, &empty, FALSE);
        SECURITY_ATTRIBUTES locked{sizeof locked, &descriptor, FALSE};
        STARTUPINFOW quiet{};
        quiet.cb = sizeof quiet;
        PROCESS_INFORMATION first{};
        wchar_t waitForever[] = L"cmd.exe /c pause";
        if (!CreateProcessW(nullptr, waitForever, &locked, nullptr, FALSE, CREATE_SUSPENDED,
                            nullptr, nullptr, &quiet, &first))
            return 125;
        owner = first.hProcess;
        CloseHandle(first.hThread);
        block = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 2092, instance);
        auto* fields = static_cast<DWORD*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 2092));
        if (!fields) return 126;
        fields[0] = first.dwThreadId;  // listener thread, owner process, message number
        fields[1] = first.dwProcessId;
        fields[2] = 0xC123;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (GetEnvironmentVariableW(L"QZ_SPAWN_NO_STANDARD_HANDLES", nullptr, 0) > 0)
        startup.dwFlags = STARTF_USESTDHANDLES;  // and every handle null
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return 123;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 124;
    GetExitCodeProcess(process.hProcess, &exitCode);
    if (GetEnvironmentVariableW(L"QZ_SPAWN_PRINT_EXIT_CODE", nullptr, 0) > 0) {
        char line[32];
        DWORD written = 0;
        const int length = wsprintfA(line, "exit code: %lu\n", exitCode);
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written,
                  nullptr);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (block) CloseHandle(block);
    if (owner) {
        TerminateProcess(owner, 0);
        CloseHandle(owner);
    }
    return static_cast<int>(exitCode);
}
