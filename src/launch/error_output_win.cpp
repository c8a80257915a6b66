#include <windows.h>

#include "config/configuration_paths.h"
#include "launch/messages.h"
#include "support/growing_read.h"
#include "support/window_station_win.h"
#include "support/wide_win.h"

namespace {
// The same sources build the console and the windowless executables; the image's own subsystem
// tells which one this is.
bool IsWindowless() {
    static const bool windowless = [] {
        const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        return headers->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
    }();
    return windowless;
}

// Lines come from the main thread, the run thread and the VM's exit hook.
SRWLOCK lock = SRWLOCK_INIT;
WideString* gathered = nullptr;
bool offScreen = false;

class Locked {
public:
    Locked() { AcquireSRWLockExclusive(&lock); }
    ~Locked() { ReleaseSRWLockExclusive(&lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

WideString ExecutableBaseName() {
    const WideString path = ReadGrowing(
        MAX_PATH,
        [](char16_t* buffer, int32_t size) {
            return GetModuleFileNameW(nullptr, W(buffer), static_cast<DWORD>(size));
        },
        [](uint32_t written, int32_t size) { return written == static_cast<uint32_t>(size); });
    return BaseNameOf(path);
}

// One box with every line; false when it could not be shown (0 on Windows, and some
// implementations answer -1 when there is no display at all).
bool ShowBox(const WideString& lines) {
    if (offScreen || !WindowStationVisible()) return false;
    WideString text = lines;
    while (!text.IsEmpty() && text[text.Length() - 1] == u'\n') text = text.Left(text.Length() - 1);
    const WideString title = ExecutableBaseName();
    return MessageBoxW(nullptr, W(text), W(title),
                       MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TASKMODAL) > 0;
}
}  // namespace

void WriteErrorLine(std::u16string_view line) {
    if (!IsWindowless()) {
        WriteStandardOutput(line);
        return;
    }
    Locked guard;
    if (!gathered) gathered = new WideString;  // lives to the end of the process
    gathered->Append(line);
}

void ShowGatheredErrors() {
    if (!IsWindowless()) return;
    WideString lines;
    {
        Locked guard;
        if (!gathered || gathered->IsEmpty()) return;
        lines = *gathered;
        *gathered = WideString();
    }
    if (!ShowBox(lines)) WriteStandardOutput(lines);
}

void KeepErrorsOffScreen() {
    Locked guard;
    offScreen = true;
}
