// Drives the launcher's dialogs for the end-to-end tests, as a user would, through the window
// messages any program may send. Usage: dialog_driver.exe COMMAND TITLE [ARGUMENT]
//   show TITLE             waits for the window and prints its controls (UTF-8, one per line)
//   click TITLE ID         clicks a button of the window
//   close TITLE            the close box
//   browse TITLE FOLDER    clicks Browse, prints the folder browser's text, chooses FOLDER, OK
//   browse-cancel TITLE    clicks Browse, prints the folder browser's text, cancels it
//   colour TITLE ID        prints the colour of the darkest text pixel of a control (R,G,B)
//   capture TITLE FILE     writes the window as a 24-bit BMP file
//   box TITLE              prints a message box's texts and whether it shows an icon, then OK
// Exit code 0, or 1 when the window (or a control) does not appear within 20 seconds.
#include "tool.h"

namespace {
HWND WaitForWindow(const wchar_t* title, HWND owner = nullptr) {
    for (int i = 0; i < 400; ++i) {
        HWND found = nullptr;
        if (!owner) {
            found = FindWindowW(nullptr, title);
        } else {
            // The folder browser: a dialog owned by the launcher's dialog.
            for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
                if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) found = w;
            }
        }
        if (found && IsWindowVisible(found)) return found;
        Sleep(50);
    }
    return nullptr;
}

std::wstring TextOf(HWND window) {
    wchar_t buffer[1024] = {};
    // WM_GETTEXT is marshalled between processes; GetWindowText of another process's control
    // would not ask it.
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

void Print(const char* name, const std::wstring& text) {
    std::printf("%s: %s\n", name, Utf8(text).c_str());
}

int Show(HWND dialog) {
    Print("title", TextOf(dialog));
    Print("message", TextOf(GetDlgItem(dialog, 203)));
    Print("link", TextOf(GetDlgItem(dialog, 205)));
    Print("path", TextOf(GetDlgItem(dialog, 201)));
    std::printf("ok: %s\n", IsWindowEnabled(GetDlgItem(dialog, IDOK)) ? "enabled" : "disabled");
    return 0;
}

// Every static text of a window, joined: the folder browser shows its title as one of them.
std::wstring StaticTexts(HWND window) {
    std::wstring texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Static") == 0) texts += TextOf(child) + L"|";
    }
    return texts;
}

// One use of the folder browser: open it, choose the folder (or cancel), close it.
bool BrowseOnce(HWND dialog, const wchar_t* folder) {
    PostMessageW(GetDlgItem(dialog, 202), BM_CLICK, 0, 0);
    HWND browser = WaitForWindow(nullptr, dialog);
    if (!browser) return false;
    Sleep(300);  // let it fill its tree
    Print("browser", StaticTexts(browser));
    if (folder) {
        // The path goes in the owner's process: the message carries a pointer that must be
        // valid there.
        DWORD processId = 0;
        GetWindowThreadProcessId(browser, &processId);
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
        if (!process) return false;
        const size_t bytes = (std::wcslen(folder) + 1) * sizeof(wchar_t);
        void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
        if (remote && WriteProcessMemory(process, remote, folder, bytes, nullptr)) {
            SendMessageW(browser, WM_USER + 103 /* BFFM_SETSELECTIONW */, TRUE,
                         reinterpret_cast<LPARAM>(remote));
        }
        Sleep(300);
        SendMessageW(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
        for (int i = 0; i < 100 && IsWindow(browser); ++i) Sleep(50);
        if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
    } else {
        SendMessageW(GetDlgItem(browser, IDCANCEL), BM_CLICK, 0, 0);
        for (int i = 0; i < 100 && IsWindow(browser); ++i) Sleep(50);
    }
    Sleep(200);
    return true;
}

int Browse(HWND dialog, const wchar_t* folder) {
    // A browser that opens for the first time may not have its tree yet when the folder is
    // chosen: it is tried again until the dialog shows the folder.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (!BrowseOnce(dialog, folder)) return 1;
        if (!folder || _wcsicmp(TextOf(GetDlgItem(dialog, 201)).c_str(), folder) == 0) break;
        Sleep(500);
    }
    return Show(dialog);
}

// The window's pixels as the screen shows them, as a 24-bit BMP file holds them: rows from the
// bottom up, each pixel blue, green, red, each row padded to four bytes.
bool Pixels(HWND window, BITMAPINFOHEADER& info, std::vector<BYTE>& rows, int& stride) {
    RECT area;
    if (!GetWindowRect(window, &area)) return false;
    info = {sizeof info, area.right - area.left, area.bottom - area.top, 1, 24, BI_RGB};
    stride = (info.biWidth * 3 + 3) & ~3;
    rows.resize(static_cast<size_t>(stride) * info.biHeight);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, info.biWidth, info.biHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, info.biWidth, info.biHeight, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);  // GetDIBits wants the bitmap in no device context
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(info.biHeight), rows.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return true;
}

int Colour(HWND dialog, int id) {
    COLORREF darkest = RGB(255, 255, 255);
    // Until the control has been painted, it shows only its background.
    for (int attempt = 0; attempt < 40; ++attempt) {
        BITMAPINFOHEADER info;
        std::vector<BYTE> rows;
        int stride = 0;
        if (!Pixels(GetDlgItem(dialog, id), info, rows, stride)) return 1;
        int lightness = 3 * 255;
        // From the top row down: of pixels as dark, the first one found counts.
        for (int y = info.biHeight - 1; y >= 0; --y) {
            for (int x = 0; x < info.biWidth; ++x) {
                const BYTE* pixel = &rows[static_cast<size_t>(y) * stride + x * 3];
                if (pixel[0] + pixel[1] + pixel[2] < lightness) {
                    lightness = pixel[0] + pixel[1] + pixel[2];
                    darkest = RGB(pixel[2], pixel[1], pixel[0]);
                }
            }
        }
        if (lightness < 3 * 200) break;
        Sleep(100);
    }
    std::printf("colour: %d,%d,%d\n", GetRValue(darkest), GetGValue(darkest), GetBValue(darkest));
    return 0;
}

int Capture(HWND dialog, const wchar_t* file) {
    BITMAPINFOHEADER info;
    std::vector<BYTE> rows;
    int stride = 0;
    FILE* out = Pixels(dialog, info, rows, stride) ? _wfopen(file, L"wb") : nullptr;
    if (!out) return 1;
    info.biSizeImage = static_cast<DWORD>(rows.size());
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const BITMAPFILEHEADER header{0x4D42, offset + info.biSizeImage, 0, 0, offset};
    std::fwrite(&header, sizeof header, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(rows.data(), 1, rows.size(), out);
    std::fclose(out);
    return 0;
}
}  // namespace

// A message box: its static texts (the icon's is empty), whether one of them shows an icon, then
// its OK button.
int Box(HWND box) {
    bool icon = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if (_wcsicmp(className, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
            SendMessageW(child, STM_GETICON, 0, 0) != 0)
            icon = true;
    }
    // One report line: the text's line breaks as \n.
    std::wstring texts;
    for (wchar_t c : StaticTexts(box)) {
        if (c == L'\n') texts += L"\\n";
        else if (c != L'\r') texts += c;
    }
    Print("texts", texts);
    std::printf("icon: %s\n", icon ? "yes" : "no");
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 120;
    const std::wstring command = argv[1];
    HWND dialog = WaitForWindow(argv[2]);
    if (!dialog) {
        std::printf("no window\n");
        return 1;
    }
    Sleep(200);  // let it finish its initialisation
    int result = 121;
    if (command == L"show") result = Show(dialog);
    if (command == L"click" && argc == 4) {
        PostMessageW(GetDlgItem(dialog, _wtoi(argv[3])), BM_CLICK, 0, 0);
        result = 0;
    }
    if (command == L"close") {
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        result = 0;
    }
    if (command == L"browse" && argc == 4) result = Browse(dialog, argv[3]);
    if (command == L"browse-cancel") result = Browse(dialog, nullptr);
    if (command == L"colour" && argc == 4) result = Colour(dialog, _wtoi(argv[3]));
    if (command == L"capture" && argc == 4) result = Capture(dialog, argv[3]);
    if (command == L"box") result = Box(dialog);
    std::fflush(stdout);
    return result;
}
