// A runtime's splash-screen library (bin\splashscreen.dll) for the launcher's tests: each call
// is appended to the test runtime's record file as "splash: <call> <arguments>", so a test sees
// which calls came, in which order, and before or after the VM's creation. It shows nothing.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
void Record(const std::string& line) {
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"QZ_TEST_RECORD", path, MAX_PATH)) return;
    if (FILE* file = _wfopen(path, L"ab")) {
        std::fprintf(file, "splash: %s\n", line.c_str());
        std::fclose(file);
    }
}
std::string Text(const char* text) { return text ? text : "(null)"; }
}  // namespace

extern "C" {
__declspec(dllexport) int SplashInit() {
    Record("init");
    return 1;
}
// Reads the image as the real library does, in the ANSI code page: a file it cannot open fails.
__declspec(dllexport) int SplashLoadFile(const char* name) {
    FILE* image = std::fopen(name, "rb");
    Record("load " + Text(name) + (image ? "" : " (cannot be opened)"));
    if (image) std::fclose(image);
    return image != nullptr;
}
__declspec(dllexport) void SplashSetFileJarName(const char* file, const char* jar) {
    Record("names " + Text(file) + " " + Text(jar));
}
__declspec(dllexport) int SplashGetScaledImgNameMaxPstfixLen(const char* file) {
    return static_cast<int>(std::string(file).size()) + 16;
}
// Answers for a monitor at 100 %: no scaled variant.
__declspec(dllexport) unsigned char SplashGetScaledImageName(const char* jar, const char* file,
                                                             float* factor, char*, size_t) {
    Record("scaled-name " + Text(jar) + " " + Text(file));
    *factor = 1;
    return 0;
}
}
