#pragma once

#include "support/handles_win.h"
#include "support/paths.h"
#include "support/wide_win.h"

// An export of a loaded module (or of none: null), typed; null when missing (GetLastError tells why).
template <typename Function>
Function ProcedureOf(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

// A library loaded by its full path, with typed access to its exports. Unloaded at the end of
// the owner's life unless kept with Keep().
class Dll {
public:
    // A relative (or drive-relative) path is made absolute against the current directory first: handed to the
    // system as it is, the library search order could pick a planted copy elsewhere.
    // false leaves the system's last error as the load set it.
    bool Load(const WideString& path) {
        WideString fullPath = path;
        if (!IsFullyQualifiedPath(path) && !FullPathName(path, fullPath)) return false;
        module.reset(LoadLibraryW(W(fullPath)));
        return module.valid();
    }

    // null when the export is missing (GetLastError tells why).
    template <typename Function>
    Function Export(const char* name) const {
        return ProcedureOf<Function>(Handle(), name);
    }

    // Leaves the library loaded for the rest of the process; its exports stay reachable.
    void Keep() {
        if (module.valid()) kept = module.release();
    }
    bool IsLoaded() const { return Handle() != nullptr; }

private:
    HMODULE Handle() const { return module.valid() ? module.get() : kept; }

    UniqueModule module;
    HMODULE kept = nullptr;
};
