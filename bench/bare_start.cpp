// The baseline for the start-up benchmark: the least a launcher must do to reach a Java runtime.
// It loads the jvm.dll named by its one argument (a full path), looks up JNI_CreateJavaVM and
// returns 0 without creating a VM. Exit code 1 when the library or the export is missing, so a
// wrong path cannot pass for a fast start.
//
// With a second argument "user32" it also loads user32.dll, the least that a launch posting a
// thread message must load: the reference for the single-instance round trip.
//
// wmain (with -municode) lets the C runtime split the command line: CommandLineToArgvW would load
// shell32.dll, which the baseline must not pay for.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) return 2;
    HMODULE jvm = LoadLibraryW(argv[1]);
    if (jvm == nullptr) return 1;
    if (argc == 3 && (lstrcmpW(argv[2], L"user32") != 0 || LoadLibraryW(L"user32.dll") == nullptr))
        return 1;
    return GetProcAddress(jvm, "JNI_CreateJavaVM") != nullptr ? 0 : 1;
}
