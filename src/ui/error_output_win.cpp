#include <windows.h>

#include "config/configuration_paths.h"
#include "launch/messages.h"
#include "support/growing_read.h"
#include "support/handles_win.h"
#include "support/window_station_win.h"
#include "support/wide_win.h"
#include "ui/dpi_awareness_win.h"

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

namespace {
// Lines come from the main thread, the run thread and the VM's exit hook.
SRWLOCK lock = SRWLOCK_INIT;
WideString* gathered = nullptr;
bool offScreen = false;  // service mode
// The read end of the pipe that stands in for a missing standard error until main starts.
HANDLE capturedErrors = nullptr;

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

// Service mode: the line also goes to the Application event log as an error, from the source
// named after the executable. Message 1 of the executables' message table is the text itself, so
// Event Viewer shows it as written once the source is registered. The caller holds the lock.
void ReportToEventLogLocked(std::u16string_view line) {
    static const UniqueEventSource source(RegisterEventSourceW(nullptr, W(ExecutableBaseName())));
    if (!source) return;
    while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r' || line.back() == u' '))
        line.remove_suffix(1);
    const WideString text(line);
    const wchar_t* strings[] = {W(text)};
    ReportEventW(source.get(), EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 1, 0, strings, nullptr);
}

// One box with every line; false when it could not be shown (0 on Windows, and some
// implementations answer -1 when there is no display at all).
bool ShowBox(const WideString& lines) {
    if (offScreen || !WindowStationVisible()) return false;
    WideString text = lines;
    while (!text.IsEmpty() && text[text.Length() - 1] == u'\n') text = text.Left(text.Length() - 1);
    const WideString title = ExecutableBaseName();
    const ThreadSystemDpiAwareness sharp;
    return MessageBoxW(nullptr, W(text), W(title),
                       MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TASKMODAL) > 0;
}

// What the VM wrote to the pipe so far, in the ANSI code page as Java writes a standard error that
// is no console; false when it wrote nothing. The caller holds the lock.
bool GatherCapturedLocked() {
    if (!capturedErrors) return false;
    ByteString bytes;
    DWORD available = 0;
    while (PeekNamedPipe(capturedErrors, nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
        char chunk[4096];
        DWORD read = 0;
        if (!ReadFile(capturedErrors, chunk, sizeof chunk, &read, nullptr) || read == 0) break;
        bytes.append(chunk, read);
    }
    if (bytes.empty()) return false;
    WideString text = FromNarrow(std::string_view(bytes.data(), bytes.size()));
    if (!gathered) gathered = new WideString;  // lives to the end of the process
    for (int32_t i = 0; i < text.Length(); ++i)
        if (text[i] != u'\r') gathered->Append(text[i]);
    return true;
}

bool Usable(HANDLE handle) {
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}
}  // namespace

void CaptureErrorStreamUntilMain() {
    if (!IsWindowless() || Usable(GetStdHandle(STD_ERROR_HANDLE))) return;
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, 65536)) return;
    // A VM that writes more than the pipe holds before main loses the rest instead of waiting.
    DWORD mode = PIPE_NOWAIT;
    SetNamedPipeHandleState(writeEnd, &mode, nullptr, nullptr);
    Locked guard;
    capturedErrors = readEnd;
    // The VM takes its System.err from here when it is created. The write end stays open for the
    // life of the process: Java keeps using its handle value.
    SetStdHandle(STD_ERROR_HANDLE, writeEnd);
}

void EndErrorStreamCapture() {
    Locked guard;
    if (!capturedErrors) return;
    // What came before main are the VM's remarks on a start that works, not errors of the launch.
    // With the read end gone, later writes fail at once, as on a missing standard error.
    CloseHandle(capturedErrors);
    capturedErrors = nullptr;
    SetStdHandle(STD_ERROR_HANDLE, nullptr);
}

void ReportExitBeforeMain(std::u16string_view fallbackLine) {
    if (!IsWindowless()) return;
    Locked guard;
    if (GatherCapturedLocked()) return;
    if (!gathered) gathered = new WideString;
    gathered->Append(fallbackLine);
}

void WriteErrorLine(std::u16string_view line) {
    Locked guard;
    if (offScreen) ReportToEventLogLocked(line);
    if (!IsWindowless()) {
        WriteStandardOutput(line);
        return;
    }
    if (!gathered) gathered = new WideString;  // lives to the end of the process
    gathered->Append(line);
}

void ShowGatheredErrors() {
    if (!IsWindowless()) return;
    WideString lines;
    {
        Locked guard;
        GatherCapturedLocked();
        if (!gathered || gathered->IsEmpty()) return;
        lines = *gathered;
        *gathered = WideString();
    }
    if (!ShowBox(lines)) WriteStandardOutput(lines);
}

void ReportErrorsAsService() {
    Locked guard;
    offScreen = true;
}
