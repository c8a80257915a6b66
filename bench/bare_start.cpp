// The baseline for the start-up benchmark: the least a launcher must do to reach a Java runtime.
// It loads the jvm.dll named by its one argument (a full path), looks up JNI_CreateJavaVM and
// returns 0 without creating a VM. Exit code 1 when the library or the export is missing, so a
// wrong path cannot pass for a fast start.
//
// A second argument adds one thing a launcher cannot leave out: "thread" runs a thread that
// returns at once and waits for it (the VM runs on a thread of its own), "user32" loads
// user32.dll (a launch that posts a thread message must). They are the references that show
// what the launcher's own work costs beyond them.
//
// wmain (with -municode) lets the C runtime split the command line: CommandLineToArgvW would load
// shell32.dll, which the baseline must not pay for.
#include <windows.h>

static DWORD WINAPI ReturnAtOnce(void*) { return 0; }

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) return 2;
    HMODULE jvm = LoadLibraryW(argv[1]);
    if (jvm == nullptr) return 1;
    if (argc == 3) {
        if (lstrcmpW(argv[2], L"thread") == 0) {
            HANDLE thread = CreateThread(nullptr, 0, ReturnAtOnce, nullptr, 0, nullptr);
            if (thread == nullptr) return 1;
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        } else if (lstrcmpW(argv[2], L"user32") != 0 || LoadLibraryW(L"user32.dll") == nullptr) {
            return 1;
        }
    }
    return GetProcAddress(jvm, "JNI_CreateJavaVM") != nullptr ? 0 : 1;
}
