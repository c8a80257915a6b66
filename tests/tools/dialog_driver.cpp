// Drives the launcher's dialogs for the end-to-end tests, as a user would, through the window
// messages any program may send. Usage: dialog_driver.exe COMMAND TITLE [ARGUMENT]
//   show TITLE             waits for the window and prints its message, link, path and OK (UTF-8)
//   click TITLE ID         clicks a button of the window
//   close TITLE            the close box
//   browse TITLE FOLDER    clicks Browse, prints the folder browser's text, chooses FOLDER, OK
//   browse-cancel TITLE    clicks Browse, prints the folder browser's text, cancels it
//   colour TITLE ID        prints the colour of the darkest text pixel of a control (R,G,B)
//   capture TITLE FILE     writes the window as a 24-bit BMP file (scripts/make-screenshot.sh)
//   box TITLE              prints a message box's texts and whether it shows an icon, then OK
// Exit code 0, or 120 when the window (or a control) does not appear within 20 seconds.
#include "tool.h"

// The window of that title or, without one, the visible window `owner` owns (the folder browser).
static HWND WaitForWindow(const wchar_t* title, HWND owner = nullptr) {
    for (int i = 0; i < 400; ++i, Sleep(50)) {
        HWND found = title ? FindWindowW(nullptr, title) : nullptr;
        for (HWND w = title ? nullptr : GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
            if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) found = w;
        if (found && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

// WM_GETTEXT is marshalled between processes; GetWindowText of another process's control would
// not ask it.
static std::wstring TextOf(HWND window) {
    wchar_t buffer[1024] = {};
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

static int Click(HWND button) { return PostMessageW(button, BM_CLICK, 0, 0) ? 0 : Fail("clicking"); }

static int Show(HWND dialog) {
    for (const auto& [name, id] : {std::pair{"message", 203}, {"link", 205}, {"path", 201}})
        Print(name, TextOf(GetDlgItem(dialog, id)));
    std::printf("ok: %s\n", IsWindowEnabled(GetDlgItem(dialog, IDOK)) ? "enabled" : "disabled");
    return 0;
}

// Prints every static text of a window, each followed by "|" and its line breaks written \n (the
// folder browser shows its title as one of them, a message box its text); true when one shows an icon.
static bool PrintStaticTexts(const char* name, HWND window) {
    std::wstring texts;
    bool icon = false;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        if (_wcsicmp(className, L"Static") != 0) continue;
        for (wchar_t c : TextOf(child) + L"|") texts += c == L'\n' ? L"\\n" : c == L'\r' ? L"" : std::wstring(1, c);
        icon |= (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && SendMessageW(child, STM_GETICON, 0, 0);
    }
    Print(name, texts);
    return icon;
}

// The folder browser, opened until the dialog shows the chosen folder (one opened for the first
// time may not have its tree yet), or once and cancelled without a folder.
static int Browse(HWND dialog, const wchar_t* folder) {
    for (int attempt = 0; attempt < 10; ++attempt, Sleep(500)) {
        Click(GetDlgItem(dialog, 202));
        HWND browser = WaitForWindow(nullptr, dialog);
        if (!browser) return 1;
        Sleep(300);  // let it fill its tree
        PrintStaticTexts("browser", browser);
        // The path goes in the browser's process: the message carries a pointer that must be
        // valid there.
        DWORD processId = 0;
        GetWindowThreadProcessId(browser, &processId);
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
        const size_t bytes = folder ? (std::wcslen(folder) + 1) * sizeof(wchar_t) : 0;
        void* remote = folder ? VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE) : nullptr;
        if (remote && WriteProcessMemory(process, remote, folder, bytes, nullptr))
            SendMessageW(browser, WM_USER + 103 /* BFFM_SETSELECTIONW */, TRUE, reinterpret_cast<LPARAM>(remote));
        Sleep(300);
        SendMessageW(GetDlgItem(browser, folder ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
        for (int i = 0; i < 100 && IsWindow(browser); ++i) Sleep(50);
        Sleep(200);
        if (!folder || _wcsicmp(TextOf(GetDlgItem(dialog, 201)).c_str(), folder) == 0) break;
    }
    return Show(dialog);
}

// The window's pixels as the screen shows them, as a 24-bit BMP file: its headers, then rows from
// the bottom up, each pixel blue, green, red, each row padded to four bytes.
static std::vector<BYTE> Bitmap(HWND window) {
    RECT area{};
    GetWindowRect(window, &area);
    BITMAPINFOHEADER info{sizeof info, area.right - area.left, area.bottom - area.top, 1, 24, BI_RGB};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const DWORD bytes = offset + static_cast<DWORD>((info.biWidth * 3 + 3) & ~3) * info.biHeight;
    const BITMAPFILEHEADER header{0x4D42, bytes, 0, 0, offset};
    std::vector<BYTE> file(bytes);
    std::memcpy(file.data(), &header, sizeof header);
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, info.biWidth, info.biHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, info.biWidth, info.biHeight, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);  // GetDIBits wants the bitmap in no device context
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(info.biHeight), &file[offset], reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    std::memcpy(&file[sizeof header], &info, sizeof info);
    return file;
}

// Of the darkest pixels, the first from the top, once the control has been painted: until then it
// shows only its background.
static int Colour(HWND control) {
    int darkest = 3 * 255;
    COLORREF colour = RGB(255, 255, 255);
    for (int attempt = 0; attempt < 40 && darkest >= 3 * 200; ++attempt, Sleep(100)) {
        const std::vector<BYTE> file = Bitmap(control);
        const auto& info = *reinterpret_cast<const BITMAPINFOHEADER*>(&file[sizeof(BITMAPFILEHEADER)]);
        const LONG stride = (info.biWidth * 3 + 3) & ~3;
        // From the top row (the bitmap's last) down, each from the left.
        for (LONG i = 0; i < info.biWidth * info.biHeight; ++i) {
            const BYTE* pixel = &file[file.size() - (i / info.biWidth + 1) * stride + 3 * (i % info.biWidth)];
            if (pixel[0] + pixel[1] + pixel[2] >= darkest) continue;
            darkest = pixel[0] + pixel[1] + pixel[2];
            colour = RGB(pixel[2], pixel[1], pixel[0]);
        }
    }
    std::printf("colour: %d,%d,%d\n", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    HWND dialog = argc >= 3 ? WaitForWindow(argv[2]) : nullptr;
    if (!dialog) return Fail("usage: dialog_driver COMMAND TITLE [ARGUMENT]; the window");
    Sleep(200);  // let it finish its initialisation
    const std::wstring command = argv[1];
    if (command == L"show") return Show(dialog);
    if (command == L"close") return PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : Fail("closing");
    if (command == L"browse-cancel") return Browse(dialog, nullptr);
    if (command == L"box") {  // a message box: its texts on one line, whether it shows an icon, then OK
        std::printf("icon: %s\n", PrintStaticTexts("texts", dialog) ? "yes" : "no");
        return Click(GetDlgItem(dialog, IDOK));
    }
    if (argc != 4) return Fail("a command with its argument");
    if (command == L"click") return Click(GetDlgItem(dialog, _wtoi(argv[3])));
    if (command == L"browse") return Browse(dialog, argv[3]);
    if (command == L"colour") return Colour(GetDlgItem(dialog, _wtoi(argv[3])));
    if (command != L"capture") return Fail("an unknown command");
    const std::vector<BYTE> file = Bitmap(dialog);
    std::ofstream out(argv[3], std::ios::binary);
    return out.write(reinterpret_cast<const char*>(file.data()), file.size()) ? 0 : Fail("writing the file");
}
