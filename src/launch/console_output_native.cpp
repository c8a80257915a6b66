#include <cstdio>

#include "launch/messages.h"

void WriteStandardOutput(std::u16string_view text) {
    const ByteString bytes = EncodeForStream(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

// The native build has no windowless form: every error line is printed at once.
void WriteErrorLine(std::u16string_view line) { WriteStandardOutput(line); }
void ShowGatheredErrors() {}
void ReportErrorsAsService() {}
void CaptureErrorStreamUntilMain() {}
void EndErrorStreamCapture() {}
void ReportExitBeforeMain(std::u16string_view) {}
