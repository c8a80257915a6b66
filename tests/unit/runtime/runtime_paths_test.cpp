#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/pe_image.h"
#include "common/wide_printer.h"
#include "runtime/runtime_paths.h"

TEST(RuntimePaths, HomeOfTheVmLibrary) {
    EXPECT_EQ(RuntimeHome(u"C:\\rt\\bin\\server\\jvm.dll"), WideString(u"C:\\rt\\"));
    EXPECT_EQ(RuntimeHome(u"jvm.dll"), WideString());
    // What the Java program sees: a runtime at a drive's root stays that root, not "R:".
    EXPECT_EQ(PublishedRuntimeHome(u"C:\\rt\\bin\\server\\jvm.dll"), WideString(u"C:\\rt"));
    EXPECT_EQ(PublishedRuntimeHome(u"R:\\bin\\client\\jvm.dll"), WideString(u"R:\\"));
    EXPECT_EQ(PublishedRuntimeHome(u"\\\\?\\R:\\bin\\client\\jvm.dll"), WideString(u"\\\\?\\R:\\"));
    EXPECT_EQ(PublishedRuntimeHome(u"\\\\srv\\rt\\bin\\client\\jvm.dll"), WideString(u"\\\\srv\\rt"));
}

namespace {
std::vector<unsigned char> Image(uint32_t lfanew, uint16_t machine, size_t size) {
    const std::string bytes = MinimalPeImage(lfanew, machine, size);
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}
}  // namespace

TEST(PeHeaders, MachineOfWellFormedAndDamagedImages) {
    struct Case {
        const char* name;
        std::vector<unsigned char> data;
        bool found;
    } cases[] = {
        {"x86 image", Image(0x80, kMachineX86, 0x200), true},
        {"headers end at the file's end", Image(0x80, kMachineX86, 0x80 + 24), true},
        {"file header cut", Image(0x80, kMachineX86, 0x80 + 23), false},
        {"e_lfanew past the end", Image(0x1000, kMachineX86, 0x200), false},
        {"e_lfanew near 4 GiB", Image(0xFFFFFFF0u, kMachineX86, 0x200), false},
        {"shorter than a DOS header", Image(0x80, kMachineX86, 0x30), false},
        {"no MZ", std::vector<unsigned char>(0x200, 'x'), false},
    };
    for (Case& c : cases) {
        // Each image in an allocation of its exact size, so that AddressSanitizer sees overreads.
        std::vector<unsigned char> exact(c.data.begin(), c.data.end());
        size_t offset = 0;
        EXPECT_EQ(LocatePeHeaders(exact.data(), exact.size(), offset), c.found) << c.name;
        if (c.found) EXPECT_EQ(PeMachine(exact.data(), offset), kMachineX86) << c.name;
    }
    std::vector<unsigned char> noSignature = Image(0x80, kMachineX86, 0x200);
    noSignature[0x81] = 'X';
    size_t offset = 0;
    EXPECT_FALSE(LocatePeHeaders(noSignature.data(), noSignature.size(), offset));
}

// The machine each registry view's VM is built for, as the image header writes it: 0x14C for x86,
// 0x8664 for x64. Neither build's twin can load an ARM64 (0xAA64) library.
TEST(PeHeaders, MachineOfEachViewAndForeignMachines) {
    const struct Case {
        bool build64;
        uint16_t own, other;
    } cases[] = {{true, 0x8664, 0x14C}, {false, 0x14C, 0x8664}};
    for (const Case& c : cases) {
        EXPECT_EQ(VmMachineOfView(false, c.build64), c.own);
        EXPECT_EQ(VmMachineOfView(true, c.build64), c.other);
        EXPECT_FALSE(IsForeignMachine(c.own, c.build64));
        EXPECT_TRUE(IsForeignMachine(c.other, c.build64));
        EXPECT_FALSE(IsForeignMachine(0xAA64, c.build64));
    }
}
