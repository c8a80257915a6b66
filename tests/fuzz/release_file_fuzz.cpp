// libFuzzer target for ReleaseFileVersion, the reader of a runtime folder's "release" file. The
// input is the file's bytes. The version must be what the first JAVA_VERSION line's digits say,
// whatever else the file holds, and must not depend on its line ends or on lines before it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "runtime/registry_search.h"

namespace {
// A second reading: the first line that begins with the key, its value with trailing blanks and
// carriage returns and one pair of enclosing quotes dropped. Only the value's digit runs count
// for a version, so bytes outside ASCII stand for some non-digit: decoding must not turn them
// into digits, nor swallow the ASCII bytes after a malformed sequence.
bool Oracle(const std::string& content, JavaVersion& version) {
    const std::string key = "JAVA_VERSION=";
    size_t line = 0;
    while (line < content.size()) {
        size_t end = content.find('\n', line);
        if (end == std::string::npos) end = content.size();
        if (content.compare(line, key.size(), key) == 0 && end - line >= key.size()) {
            std::string value = content.substr(line + key.size(), end - line - key.size());
            while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            std::u16string wide;
            for (char byte : value)
                wide.push_back(static_cast<unsigned char>(byte) < 0x80 ? static_cast<char16_t>(byte) : u'x');
            return ParseJavaVersion(wide, kVersionFillMinimum, version);
        }
        line = end + 1;
    }
    return false;
}

bool Read(const std::string& content, JavaVersion& version) {
    version = JavaVersion{};
    return ReleaseFileVersion(content, version);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    JavaVersion given;
    given.major = input.Unit();
    given.minor = input.Unit();
    given.micro = input.Unit();
    given.update = input.Unit();
    input = FuzzInput(data, size);  // the whole input is also the file
    const std::string content = input.Bytes();

    JavaVersion version, expected;
    const bool ok = Read(content, version);
    Check(ok == Oracle(content, expected), "found as the second reading says");
    Check(!ok || Equal(version, expected), "version as the second reading says");

    // Lines before the first JAVA_VERSION line do not matter, nor do Windows line ends.
    JavaVersion again;
    Check(Read("IMPLEMENTOR=\"x\"\n" + content, again) == ok && (!ok || Equal(again, version)),
          "a line before changes nothing");
    std::string crlf;
    for (char byte : content) {
        if (byte == '\n') crlf.push_back('\r');
        crlf.push_back(byte);
    }
    Check(Read(crlf, again) == ok && (!ok || Equal(again, version)), "CR LF reads as LF");

    // A version written as the JDK writes it, quoted or not, reads back, here after the input's
    // own lines when they hold no JAVA_VERSION line.
    const std::u16string text = VersionText(given).Std();
    const std::string written(text.begin(), text.end());
    bool any65535 = false;
    for (int32_t part : {given.major, given.minor, given.micro, given.update})
        any65535 |= part == kVersionFillMaximum;
    const std::string before = content.find("JAVA_VERSION=") == std::string::npos
                                   ? content.substr(0, content.rfind('\n') + 1)
                                   : std::string();
    for (const std::string& line : {"JAVA_VERSION=\"" + written + "\"\r\n", "JAVA_VERSION=" + written}) {
        Check(Read(before + line, again), "written version is found");
        if (!any65535) Check(Equal(again, given), "written version reads back");
    }
    return 0;
}
