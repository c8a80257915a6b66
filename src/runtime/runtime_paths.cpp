#include "runtime/runtime_paths.h"

#include <cstring>

WideString StripComponents(const WideString& path, int32_t n) {
    WideString stripped = path;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t slash = stripped.FindLastUnit(u'\\');
        if (slash < 0) break;
        stripped = stripped.Left(slash);
    }
    return stripped;
}

WideString RuntimeHome(const WideString& libraryPath) {
    const WideString folder = StripComponents(libraryPath, 2);
    return folder.Left(folder.FindLastUnit(u'\\') + 1);
}

WideString PublishedRuntimeHome(const WideString& libraryPath) {
    WideString home = StripComponents(libraryPath, 3);
    if (!home.IsEmpty() && home[home.Length() - 1] == u':') home.Append(u'\\');
    return home;
}

const char16_t* ShippedRuntimeFolderName() { return sizeof(void*) == 8 ? u"jre64\\" : u"jre\\"; }

namespace {
uint32_t ReadLittleEndian32(const unsigned char* at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}
constexpr size_t kDosHeaderSize = 64;
constexpr size_t kLfanewOffset = 0x3C;
constexpr size_t kSignatureAndFileHeader = 4 + 20;
}  // namespace

bool LocatePeHeaders(const unsigned char* data, size_t size, size_t& headersOffset) {
    if (!data || size < kDosHeaderSize || data[0] != 'M' || data[1] != 'Z') return false;
    const size_t offset = ReadLittleEndian32(data + kLfanewOffset);
    if (offset > size || size - offset < kSignatureAndFileHeader) return false;
    if (std::memcmp(data + offset, "PE\0\0", 4) != 0) return false;
    headersOffset = offset;
    return true;
}

uint16_t PeMachine(const unsigned char* data, size_t headersOffset) {
    return static_cast<uint16_t>(data[headersOffset + 4] | data[headersOffset + 5] << 8);
}

bool IsForeignMachine(uint16_t machine, bool build64) {
    return machine == VmMachineOfView(true, build64);
}

const char16_t* MachineName(uint16_t machine) {
    switch (machine) {
    case kMachineX86:
        return u"x86";
    case kMachineAmd64:
        return u"x64";
    case kMachineArm64:
        return u"ARM64";
    default:
        return u"another processor";
    }
}

uint16_t VmMachineOfView(bool otherView, bool build64) {
    return build64 != otherView ? kMachineAmd64 : kMachineX86;
}
