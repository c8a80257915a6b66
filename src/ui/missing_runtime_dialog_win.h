#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/hyperlink_control_win.h"
#include "support/wide_string.h"

// The modal "JRE Not Found" dialog (resource 201): the message naming the version needed, a link
// to a download page, and Browse for a runtime folder. OK stays disabled until a browsed folder
// holds a VM library of the configured type.
class MissingRuntimeDialog {
public:
    static constexpr int32_t kConfirmed = 1;
    static constexpr int32_t kCancelled = 2;
    static constexpr int32_t kNotShown = -1;

    MissingRuntimeDialog(WideString message, int32_t vmType);
    MissingRuntimeDialog(const MissingRuntimeDialog&) = delete;
    MissingRuntimeDialog& operator=(const MissingRuntimeDialog&) = delete;

    // kConfirmed (OK), kCancelled (Cancel or the close box), or kNotShown with the thread's last
    // error set.
    int32_t Show();
    // The folder last chosen with Browse (ending in "\"), and the VM library found there.
    const WideString& Folder() const { return folder; }
    const WideString& LibraryPath() const { return libraryPath; }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam);
    void Initialise(HWND dialog);
    void Browse(HWND dialog);

    WideString message;
    int32_t vmType;
    WideString folder;
    WideString libraryPath;
    HyperLinkControl link;
};
