// Removes registry keys for the end-to-end tests, each under HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER in both views: registry_clean.exe "Software\Vendor" ... (one process for all
// keys; Wine's regedit leaves deeper trees behind). Always exits 0.
#include "tool.h"

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        // The key's parent, and its own name after the last backslash.
        wchar_t* name = wcsrchr(argv[i], L'\\');
        if (!name) continue;
        *name++ = L'\0';
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
                HKEY parent = nullptr;
                if (RegOpenKeyExW(root, argv[i], 0, KEY_ALL_ACCESS | view, &parent) != ERROR_SUCCESS) continue;
                RegDeleteTreeW(parent, name);
                RegDeleteKeyExW(parent, name, view, 0);
                RegCloseKey(parent);
            }
        }
    }
    return 0;
}
