// Starts a program with an exact command line, which `wine program args...` cannot give (it
// quotes and escapes the arguments itself). Usage: spawn.exe <program>; the command line is the
// UTF-16LE content of the file named by QZ_SPAWN_COMMAND_FILE. Returns the program's exit code,
// and prints it whole ("exit code: N") when QZ_SPAWN_PRINT_EXIT_CODE is set: a POSIX parent sees
// only its low eight bits.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 120;
    wchar_t file[MAX_PATH];
    if (!GetEnvironmentVariableW(L"QZ_SPAWN_COMMAND_FILE", file, MAX_PATH)) return 121;
    HANDLE input = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    if (input == INVALID_HANDLE_VALUE) return 122;
    std::wstring commandLine(GetFileSize(input, nullptr) / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    ReadFile(input, commandLine.data(), static_cast<DWORD>(commandLine.size() * sizeof(wchar_t)),
             &read, nullptr);
    CloseHandle(input);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
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
    return static_cast<int>(exitCode);
}
