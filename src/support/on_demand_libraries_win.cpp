// Libraries an ordinary launch does not need are loaded on the first call into them, not at
// start-up: the user-interface libraries (user32, gdi32, comctl32, shell32, ole32), which only
// the missing-runtime dialog, its link, single instance and the windowless executables' message
// box use, and advapi32, which only the registry search and service mode (its control and its
// event log) use. Loading USER32
// alone costs an ordinary launch more than all of the launcher's own work.
//
// How: calls into a DLL go through its import slot "__imp_<name>" (32-bit: "__imp__<name>@<bytes>").
// This file defines those slots for every such function the launcher calls. Each slot starts out
// pointing at a stub of the same signature that loads the library, looks the function up, stores
// it in the slot and calls it; every later call goes straight to the system. The system's import
// libraries are then not needed for these functions, and the executables' import tables do not
// name the libraries.
#include <windows.h>
#include <winsvc.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "support/fatal.h"

namespace {
enum Library { kUser32, kGdi32, kComctl32, kShell32, kOle32, kAdvapi32, kLibraryCount };

const wchar_t* const kLibraryNames[kLibraryCount] = {L"user32.dll",  L"gdi32.dll",
                                                     L"comctl32.dll", L"shell32.dll",
                                                     L"ole32.dll",   L"advapi32.dll"};
HMODULE modules[kLibraryCount];

// From the system folder only. Windows 7 without its 2011 loader update does not know the flag
// and refuses it; it then loads by name, which for these libraries (known DLLs, and the common
// controls through the manifest's side-by-side assembly) also means the system's own.
HMODULE LoadSystemLibrary(Library library) {
    HMODULE module = __atomic_load_n(&modules[library], __ATOMIC_ACQUIRE);
    if (module) return module;
    module = LoadLibraryExW(kLibraryNames[library], nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
        module = LoadLibraryW(kLibraryNames[library]);
    }
    // A system without its own user-interface libraries cannot run the launcher's windows.
    if (!module) FatalInvalidArgument();
    __atomic_store_n(&modules[library], module, __ATOMIC_RELEASE);
    return module;
}

FARPROC Bind(Library library, const char* name) {
    const FARPROC function = GetProcAddress(LoadSystemLibrary(library), name);
    if (!function) FatalInvalidArgument();
    return function;
}

template <typename Import, typename Function>
struct FirstCall;

template <typename Import, typename Result, typename... Arguments>
struct FirstCall<Import, Result WINAPI(Arguments...)> {
    using Pointer = Result(WINAPI*)(Arguments...);
    static Result WINAPI Call(Arguments... arguments) {
        const auto bound = reinterpret_cast<Pointer>(
            reinterpret_cast<void*>(Bind(Import::kLibrary, Import::kName)));
        __atomic_store_n(Import::Slot(), bound, __ATOMIC_RELEASE);
        return bound(arguments...);
    }
};

// The "@<bytes>" of a 32-bit __stdcall name: the arguments' sizes, each rounded up to 4.
template <typename Function>
struct ArgumentBytes;

template <typename Result, typename... Arguments>
struct ArgumentBytes<Result WINAPI(Arguments...)> {
    static constexpr int value = (0 + ... + static_cast<int>((sizeof(Arguments) + 3) & ~size_t{3}));
};
}  // namespace

#ifdef _WIN64
#define QZ_SLOT_NAME(name, bytes) "__imp_" #name
#else
#define QZ_SLOT_NAME(name, bytes) "__imp__" #name "@" #bytes
#endif

#define QZ_ON_FIRST_CALL(library, name, bytes)                                                    \
    extern "C" decltype(&::name) slot_##name __asm__(QZ_SLOT_NAME(name, bytes));                 \
    namespace {                                                                                  \
    struct Import_##name {                                                                       \
        static constexpr Library kLibrary = library;                                             \
        static constexpr const char* kName = #name;                                              \
        static decltype(&::name)* Slot() { return &slot_##name; }                                \
    };                                                                                           \
    static_assert(sizeof(void*) == 8 || ArgumentBytes<decltype(::name)>::value == bytes, #name); \
    }                                                                                            \
    decltype(&::name) slot_##name = &FirstCall<Import_##name, decltype(::name)>::Call;

QZ_ON_FIRST_CALL(kAdvapi32, DeregisterEventSource, 4)
QZ_ON_FIRST_CALL(kAdvapi32, RegCloseKey, 4)
QZ_ON_FIRST_CALL(kAdvapi32, RegEnumKeyExW, 32)
QZ_ON_FIRST_CALL(kAdvapi32, RegOpenKeyExW, 20)
QZ_ON_FIRST_CALL(kAdvapi32, RegQueryValueExW, 24)
QZ_ON_FIRST_CALL(kAdvapi32, RegisterEventSourceW, 8)
QZ_ON_FIRST_CALL(kAdvapi32, RegisterServiceCtrlHandlerW, 8)
QZ_ON_FIRST_CALL(kAdvapi32, ReportEventW, 36)
QZ_ON_FIRST_CALL(kAdvapi32, SetServiceStatus, 8)
QZ_ON_FIRST_CALL(kAdvapi32, StartServiceCtrlDispatcherW, 4)

QZ_ON_FIRST_CALL(kComctl32, InitCommonControlsEx, 4)

QZ_ON_FIRST_CALL(kGdi32, CreateFontIndirectW, 4)
QZ_ON_FIRST_CALL(kGdi32, DeleteObject, 4)
QZ_ON_FIRST_CALL(kGdi32, GetObjectW, 12)
QZ_ON_FIRST_CALL(kGdi32, GetStockObject, 4)
QZ_ON_FIRST_CALL(kGdi32, SelectObject, 8)
QZ_ON_FIRST_CALL(kGdi32, SetBkMode, 8)
QZ_ON_FIRST_CALL(kGdi32, SetTextColor, 8)

QZ_ON_FIRST_CALL(kOle32, CoInitializeEx, 8)
QZ_ON_FIRST_CALL(kOle32, CoTaskMemFree, 4)
QZ_ON_FIRST_CALL(kOle32, CoUninitialize, 0)

QZ_ON_FIRST_CALL(kShell32, SHBrowseForFolderW, 4)
QZ_ON_FIRST_CALL(kShell32, SHGetPathFromIDListW, 8)
QZ_ON_FIRST_CALL(kShell32, ShellExecuteW, 24)

QZ_ON_FIRST_CALL(kUser32, BeginPaint, 8)
QZ_ON_FIRST_CALL(kUser32, CallWindowProcW, 20)
QZ_ON_FIRST_CALL(kUser32, CreateWindowExW, 48)
QZ_ON_FIRST_CALL(kUser32, DefWindowProcW, 16)
QZ_ON_FIRST_CALL(kUser32, DestroyWindow, 4)
QZ_ON_FIRST_CALL(kUser32, DialogBoxParamW, 20)
QZ_ON_FIRST_CALL(kUser32, DrawFocusRect, 8)
QZ_ON_FIRST_CALL(kUser32, DrawTextW, 20)
QZ_ON_FIRST_CALL(kUser32, EnableWindow, 8)
QZ_ON_FIRST_CALL(kUser32, EndDialog, 8)
QZ_ON_FIRST_CALL(kUser32, EndPaint, 8)
QZ_ON_FIRST_CALL(kUser32, FillRect, 12)
QZ_ON_FIRST_CALL(kUser32, GetActiveWindow, 0)
QZ_ON_FIRST_CALL(kUser32, GetCapture, 0)
QZ_ON_FIRST_CALL(kUser32, GetClassNameW, 12)
QZ_ON_FIRST_CALL(kUser32, GetClientRect, 8)
QZ_ON_FIRST_CALL(kUser32, GetCursorPos, 4)
QZ_ON_FIRST_CALL(kUser32, GetDC, 4)
QZ_ON_FIRST_CALL(kUser32, GetDlgCtrlID, 4)
QZ_ON_FIRST_CALL(kUser32, GetDlgItem, 8)
QZ_ON_FIRST_CALL(kUser32, GetFocus, 0)
QZ_ON_FIRST_CALL(kUser32, GetMessageW, 16)
QZ_ON_FIRST_CALL(kUser32, GetMonitorInfoW, 8)
QZ_ON_FIRST_CALL(kUser32, GetParent, 4)
QZ_ON_FIRST_CALL(kUser32, GetProcessWindowStation, 0)
QZ_ON_FIRST_CALL(kUser32, GetPropW, 8)
QZ_ON_FIRST_CALL(kUser32, GetSysColor, 4)
QZ_ON_FIRST_CALL(kUser32, GetUserObjectInformationW, 20)
QZ_ON_FIRST_CALL(kUser32, GetWindow, 8)
QZ_ON_FIRST_CALL(kUser32, GetWindowRect, 8)
QZ_ON_FIRST_CALL(kUser32, GetWindowTextLengthW, 4)
QZ_ON_FIRST_CALL(kUser32, GetWindowTextW, 12)
QZ_ON_FIRST_CALL(kUser32, InvalidateRect, 12)
QZ_ON_FIRST_CALL(kUser32, IsIconic, 4)
QZ_ON_FIRST_CALL(kUser32, IsWindowEnabled, 4)
QZ_ON_FIRST_CALL(kUser32, IsWindowVisible, 4)
QZ_ON_FIRST_CALL(kUser32, LoadCursorW, 8)
QZ_ON_FIRST_CALL(kUser32, LoadIconW, 8)
QZ_ON_FIRST_CALL(kUser32, MessageBoxW, 16)
QZ_ON_FIRST_CALL(kUser32, MonitorFromWindow, 8)
QZ_ON_FIRST_CALL(kUser32, MsgWaitForMultipleObjects, 20)
QZ_ON_FIRST_CALL(kUser32, OffsetRect, 12)
QZ_ON_FIRST_CALL(kUser32, PeekMessageW, 20)
QZ_ON_FIRST_CALL(kUser32, PostThreadMessageW, 16)
QZ_ON_FIRST_CALL(kUser32, PtInRect, 12)
QZ_ON_FIRST_CALL(kUser32, RegisterWindowMessageW, 4)
QZ_ON_FIRST_CALL(kUser32, ReleaseCapture, 0)
QZ_ON_FIRST_CALL(kUser32, ReleaseDC, 8)
QZ_ON_FIRST_CALL(kUser32, RemovePropW, 8)
QZ_ON_FIRST_CALL(kUser32, ScreenToClient, 8)
QZ_ON_FIRST_CALL(kUser32, SendDlgItemMessageW, 20)
QZ_ON_FIRST_CALL(kUser32, SendMessageW, 16)
QZ_ON_FIRST_CALL(kUser32, SetCapture, 4)
QZ_ON_FIRST_CALL(kUser32, SetCursor, 4)
QZ_ON_FIRST_CALL(kUser32, SetDlgItemTextW, 12)
QZ_ON_FIRST_CALL(kUser32, SetFocus, 4)
QZ_ON_FIRST_CALL(kUser32, SetPropW, 12)
QZ_ON_FIRST_CALL(kUser32, SetWindowPos, 28)
QZ_ON_FIRST_CALL(kUser32, SystemParametersInfoW, 16)
QZ_ON_FIRST_CALL(kUser32, TrackMouseEvent, 4)
QZ_ON_FIRST_CALL(kUser32, UpdateWindow, 4)
#ifdef _WIN64
QZ_ON_FIRST_CALL(kUser32, GetWindowLongPtrW, 8)
QZ_ON_FIRST_CALL(kUser32, SetWindowLongPtrW, 12)
#else
QZ_ON_FIRST_CALL(kUser32, GetWindowLongW, 8)
QZ_ON_FIRST_CALL(kUser32, SetWindowLongW, 12)
#endif
