// Removes registry keys for the end-to-end tests, each under HKEY_LOCAL_MACHINE in both views and
// under HKEY_CURRENT_USER: registry_clean.exe "Software\Vendor" ... (one process for all keys;
// Wine's regedit leaves deeper trees behind). Always exits 0.
#include "tool.h"

int wmain(int argc, wchar_t** argv) {
    const struct {
        HKEY root;
        REGSAM view;
    } places[] = {{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY},
                  {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY},
                  {HKEY_CURRENT_USER, KEY_WOW64_64KEY},
                  {HKEY_CURRENT_USER, KEY_WOW64_32KEY}};
    for (int i = 1; i < argc; ++i) {
        // The key's parent, and its own name after the last backslash.
        wchar_t* name = wcsrchr(argv[i], L'\\');
        if (!name) continue;
        *name++ = L'\0';
        for (const auto& place : places) {
            HKEY parent = nullptr;
            if (RegOpenKeyExW(place.root, argv[i], 0, KEY_ALL_ACCESS | place.view, &parent) !=
                ERROR_SUCCESS)
                continue;
            RegDeleteTreeW(parent, name);
            RegDeleteKeyExW(parent, name, place.view, 0);
            RegCloseKey(parent);
        }
    }
    return 0;
}
