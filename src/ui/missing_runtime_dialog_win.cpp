#include "ui/missing_runtime_dialog_win.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <utility>

#include "launch/messages.h"
#include "ui/dpi_awareness_win.h"
#include "ui/missing_runtime_rules.h"
#include "runtime/vm_library_lookup.h"
#include "support/wide_win.h"

namespace {
constexpr int kDialogResource = 201;
constexpr int kPathField = 201;
constexpr int kBrowseButton = 202;
constexpr int kMessageText = 203;
constexpr int kErrorIcon = 204;
constexpr int kLinkText = 205;

// The object being shown, for the dialog's messages before it is bound to the window: the
// binding is made on the very first message, whichever it is.
MissingRuntimeDialog* opening = nullptr;

// Places the dialog on the work area of its monitor, centred on its owner when that is visible,
// without activating it.
void Centre(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner && (!IsWindowVisible(owner) || IsIconic(owner))) owner = nullptr;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTONEAREST),
                         &monitor))
        return;
    RECT window;
    RECT target = monitor.rcWork;
    if (!GetWindowRect(dialog, &window) || (owner && !GetWindowRect(owner, &target))) return;
    const auto rect = [](const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; };
    const ScreenRect placed =
        CenteredPosition(rect(window), rect(target), rect(monitor.rcWork));
    SetWindowPos(dialog, nullptr, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

MissingRuntimeDialog::MissingRuntimeDialog(WideString text, int32_t type)
    : message(std::move(text)), vmType(type) {}

int32_t MissingRuntimeDialog::Show() {
    // The tooltip class of the common controls, for the link.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    const ThreadSystemDpiAwareness sharp;
    opening = this;
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr),
                                           MAKEINTRESOURCEW(kDialogResource), GetActiveWindow(),
                                           Procedure, reinterpret_cast<LPARAM>(this));
    opening = nullptr;
    if (result == kConfirmed || result == kCancelled) return static_cast<int32_t>(result);
    return kNotShown;
}

INT_PTR CALLBACK MissingRuntimeDialog::Procedure(HWND dialog, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    auto* self = reinterpret_cast<MissingRuntimeDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) {
        self = message == WM_INITDIALOG ? reinterpret_cast<MissingRuntimeDialog*>(lParam) : opening;
        if (!self) return FALSE;
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    return self->Handle(dialog, message, wParam);
}

INT_PTR MissingRuntimeDialog::Handle(HWND dialog, UINT messageId, WPARAM wParam) {
    switch (messageId) {
        case WM_INITDIALOG:
            Initialise(dialog);
            // Not TRUE: the system must not give the focus to the first control.
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    // OK means a runtime: Enter or a click on the disabled button before Browse
                    // found one must not end the dialog without it.
                    if (!libraryPath.IsEmpty()) EndDialog(dialog, kConfirmed);
                    return TRUE;
                case IDCANCEL:  // also the close box
                    EndDialog(dialog, kCancelled);
                    return TRUE;
                case kBrowseButton:
                    Browse(dialog);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

void MissingRuntimeDialog::Initialise(HWND dialog) {
    const HWND linkWindow = GetDlgItem(dialog, kLinkText);
    if (!link.normalFont)
        link.normalFont = reinterpret_cast<HFONT>(SendMessageW(linkWindow, WM_GETFONT, 0, 0));
    link.TakeOver(linkWindow);
    SetDlgItemTextW(dialog, kMessageText, W(message));
    SendDlgItemMessageW(dialog, kErrorIcon, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_ERROR)), 0);
    EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
    Centre(dialog);
}

void MissingRuntimeDialog::Browse(HWND dialog) {
    // The new folder browser needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const WideString title = LoadMessage(kMsgBrowseTitle);
    BROWSEINFOW browse{};
    browse.hwndOwner = dialog;
    browse.lpszTitle = W(title);
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(chosen, path)) {
            SetDlgItemTextW(dialog, kPathField, path);
            folder = BrowsedFolder(WideString(U(path)));
            bool server = false;
            libraryPath = FindVmLibrary(folder, vmType, server);
            if (!libraryPath.IsEmpty()) EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
        }
        CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com)) CoUninitialize();
}
