// libFuzzer target for ReleaseFileVersion, the reader of a runtime folder's "release" file. The
// input is the file's bytes. The version must not depend on line ends, on lines before or after
// the first JAVA_VERSION line, nor on bytes outside ASCII, which decode to no digit.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "runtime/registry_search.h"

namespace {
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

    JavaVersion version, again;
    const bool ok = Read(content, version);
    const auto same = [&](const std::string& other) { return Read(other, again) == ok && Equal(again, version); };
    std::string ascii = content;
    for (char& byte : ascii)
        if (static_cast<unsigned char>(byte) >= 0x80) byte = 'x';
    Check(same(ascii), "bytes outside ASCII are no digits");
    if (ok) Check(same(content + "\nJAVA_VERSION=\"1.2.3\""), "only the first JAVA_VERSION line counts");

    // Lines before the first JAVA_VERSION line do not matter, nor do Windows line ends.
    Check(same("IMPLEMENTOR=\"x\"\n" + content), "a line before changes nothing");
    std::string crlf;
    for (char byte : content) {
        if (byte == '\n') crlf.push_back('\r');
        crlf.push_back(byte);
    }
    Check(same(crlf), "CR LF reads as LF");

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
