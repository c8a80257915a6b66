// Starts a program with an exact command line, which `wine program args...` cannot give (it
// quotes and escapes the arguments itself). Usage: spawn.exe <program>; the command line is the
// UTF-16LE content of the file named by QZ_SPAWN_COMMAND_FILE. Returns the program's exit code,
// and prints it whole ("exit code: N") when QZ_SPAWN_PRINT_EXIT_CODE is set: a POSIX parent sees
// only its low eight bits. QZ_SPAWN_NO_STANDARD_HANDLES starts the program without standard
// handles, as Explorer starts a windowless program. QZ_SPAWN_LOCKED_INSTANCE names a
// single-instance block that spawn holds while the program runs, whose first instance is a process
// nobody may open.
#include "tool.h"

#include <sddl.h>

int wmain(int argc, wchar_t** argv) {
    const wchar_t* file = _wgetenv(L"QZ_SPAWN_COMMAND_FILE");
    if (argc != 2 || !file) return Fail("usage: spawn PROGRAM, with QZ_SPAWN_COMMAND_FILE set");
    const std::vector<BYTE> bytes = ReadFileBytes(file);
    std::wstring commandLine(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION first{}, process{};
    if (const wchar_t* instance = _wgetenv(L"QZ_SPAWN_LOCKED_INSTANCE")) {
        // The first instance: a process that nobody may open (an empty access list), as one that
        // runs with higher rights looks to an ordinary launch.
        PSECURITY_DESCRIPTOR descriptor = nullptr;  // "D:": an empty access list
        ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:", SDDL_REVISION_1, &descriptor, nullptr);
        SECURITY_ATTRIBUTES locked{sizeof locked, descriptor, FALSE};
        wchar_t waitForever[] = L"cmd.exe /c pause";
        HANDLE block = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 2092, instance);
        auto* fields = static_cast<DWORD*>(MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 2092));
        if (!fields || !CreateProcessW(nullptr, waitForever, &locked, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                       nullptr, &startup, &first))
            return Fail("the locked first instance");
        fields[0] = first.dwThreadId;  // listener thread, owner process, message number
        fields[1] = first.dwProcessId;
        fields[2] = 0xC123;
    }
    if (_wgetenv(L"QZ_SPAWN_NO_STANDARD_HANDLES")) startup.dwFlags = STARTF_USESTDHANDLES;  // and every handle null
    if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return Fail("CreateProcess");
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0, written = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    // Written as it is: the C runtime would make "\n" "\r\n".
    char line[32];
    if (_wgetenv(L"QZ_SPAWN_PRINT_EXIT_CODE"))
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, wsprintfA(line, "exit code: %lu\n", exitCode), &written, nullptr);
    if (first.hProcess) TerminateProcess(first.hProcess, 0);
    return static_cast<int>(exitCode);
}
