// Removes registry keys for the end-to-end tests, each under HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER in both views: registry_clean.exe "Software\Vendor" ... (one process for all
// keys; Wine's regedit leaves deeper trees behind). Always exits 0.
#include "tool.h"

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i)
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
                HKEY key = nullptr;
                if (RegOpenKeyExW(root, argv[i], 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) continue;
                RegDeleteTreeW(key, nullptr);  // what the key holds, then the key itself
                RegCloseKey(key);
                RegDeleteKeyExW(root, argv[i], view, 0);
            }
    return 0;
}
