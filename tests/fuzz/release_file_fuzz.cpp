// libFuzzer target for ReleaseFileVersion, the reader of a runtime folder's "release" file. The
// input is the file's bytes; its first eight bytes also give the parts of a version written into
// such a file. The version must not depend on line ends, on lines before or after the first
// JAVA_VERSION line, nor on bytes outside ASCII, which decode to no digit.
#include "fuzz_support.h"
#include "runtime/registry_search.h"

FUZZ_TARGET {
    FuzzInput input{data, size};
    JavaVersion given, version, again;
    for (int32_t* part : {&given.major, &given.minor, &given.micro, &given.update})
        *part = static_cast<int32_t>(input.Field(2) % kVersionFillMaximum);  // 65535 is the fill
    const std::string content(reinterpret_cast<const char*>(data), size);
    const bool ok = ReleaseFileVersion(content, version);
    const auto same = [&](const std::string& other) {
        again = JavaVersion{};
        return ReleaseFileVersion(other, again) == ok && again == version;
    };
    std::string ascii = content, crlf;
    for (char& byte : ascii) byte = static_cast<unsigned char>(byte) >= 0x80 ? 'x' : byte;
    for (char byte : content) crlf += byte == '\n' ? std::string("\r\n") : std::string(1, byte);
    Check(same(ascii) && same(crlf) && same("IMPLEMENTOR=\"x\"\n" + content),
          "bytes outside ASCII, CR LF line ends and a line before change nothing");
    Check(!ok || same(content + "\nJAVA_VERSION=\"1.2.3\""), "only the first JAVA_VERSION line counts");

    // A version written as the JDK writes it, quoted or not, reads back, here after the input's
    // own lines when they hold no JAVA_VERSION line.
    const std::u16string text = VersionText(given).Std();
    const std::string written(text.begin(), text.end());
    const std::string before = content.find("JAVA_VERSION=") == kNone ? content.substr(0, content.rfind('\n') + 1) : "";
    for (const std::string& line : {"JAVA_VERSION=\"" + written + "\"\r\n", "JAVA_VERSION=" + written})
        Check(ReleaseFileVersion(before + line, again) && again == given, "a written version reads back");
    return 0;
}
