#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "support/text.h"
#include "support/wide_string.h"

// String-table ids of the launcher's messages.
enum MessageId : int32_t {
    kMsgWindowsException = 202,
    kMsgJniException = 203,
    kMsgComError = 204,
    kMsgJniExceptionShort = 205,
    kMsgRuntimeNotFoundServer = 206,
    kMsgRuntimeNotFound = 207,
    kMsgModulePathFailed = 208,
    kMsgClassPathMissing = 209,
    kMsgMainClassMissing = 210,
    kMsgMainClassNotLoaded = 211,
    kMsgCreateJavaVmMissing = 212,
    kMsgCreateVmFailed = 213,
    kMsgBrowseTitle = 214,
    kMsgMainClassNotFound = 215,
    kMsgMainMethodMissing = 216,
    kMsgLatestVersion = 217,
    kMsgMaximumVersion = 218,
    kMsgMinimumVersion = 219,
    kMsgExactVersion = 220,
    kMsgVersionRange = 221,
    kMsgVmLibraryNotLoaded = 222,
    kMsgInitializeFailed = 223,
    kMsgModuleInitializeFailed = 224,
    kMsgReasonUnknown = 225,
    kMsgReasonDetached = 226,
    kMsgReasonVersion = 227,
    kMsgReasonMemory = 228,
    kMsgReasonExists = 229,
    kMsgReasonArguments = 230,
    kMsgPairNotStarted = 232,
    kMsgPairIsThisExecutable = 233,
    kMsgPairHandsBack = 234,
};

// The text of string `id`; empty when no module holds it (never an error).
void LoadMessage(WideString& out, int32_t id);
WideString LoadMessage(int32_t id);

// Loads string `id` and formats it; a missing string or a pattern that does not fit the
// arguments is fatal.
void FormatResourceMessage(WideString& out, int32_t id, std::initializer_list<FormatArg> args);

// Format an already loaded message and print it as an error line.
void ReportError(const WideString& format, const WideString& text1);
void ReportError(const WideString& format, const WideString& text1, const WideString& text2);
void ReportErrorCode(const WideString& format, const WideString& text, int32_t code);
// Message 202 with the reason string `reasonId` and the Windows error code of the failed call.
void ReportWindowsError(int32_t reasonId, uint32_t errorCode);

// The system's text for a Windows error code, without its line break; empty when it has none.
// (messages_win.cpp)
WideString SystemErrorText(uint32_t errorCode);

// Prints a complete text as the error line "Error: <text> \n" (WriteErrorLine).
void PrintError(std::u16string_view text);
// The error line of a complete text, "Error: <text> \n", without printing it.
WideString ErrorLine(std::u16string_view text);

// The bytes of an error line as they reach a file or pipe: UTF-8, every "\n" written as "\r\n"
// (what a text-mode C runtime stream writes on Windows).
ByteString EncodeForStream(std::u16string_view text);

// Writes text to standard output: UTF-16 through the console when it is one, otherwise the bytes
// of EncodeForStream. Failures are ignored. (console_output_win.cpp / _native.cpp)
void WriteStandardOutput(std::u16string_view text);

// Where error lines go. The console executables print each at once on standard output. The
// windowless ones gather them and show them together in one message box, when Java's main is
// about to start and when the process ends (ShowGatheredErrors); where no box can be shown (a
// service, a window station nobody sees, a box that fails) they go to standard output instead.
// (error_output_win.cpp / console_output_native.cpp)
void WriteErrorLine(std::u16string_view line);
void ShowGatheredErrors();
// The windowless twin, told by the image's own subsystem.
bool IsWindowless();
// Service mode, from the moment the settings say so: never a message box, and each error line
// also to the event log.
void ReportErrorsAsService();
// Windowless, without a standard error to write to: until main starts, what the VM writes there
// (the JDK's launcher helper reports a missing main class so, then ends the VM) is kept and shown
// with the error lines. Before the VM is created; ended, its text dropped, when main starts.
void CaptureErrorStreamUntilMain();
void EndErrorStreamCapture();
// Windowless: the VM ends before main with a failure. What it wrote is shown; when nothing of it
// could be kept, the fallback line is.
void ReportExitBeforeMain(std::u16string_view fallbackLine);
