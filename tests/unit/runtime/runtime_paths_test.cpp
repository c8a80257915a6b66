#include <gtest/gtest.h>


#include "common/pe_image.h"
#include "common/wide_printer.h"
#include "runtime/runtime_paths.h"

TEST(RuntimePaths, HomeOfTheVmLibrary) {
    EXPECT_EQ(RuntimeHome(u"jvm.dll"), WideString());
    // Ordinary homes are published end to end. What the Java program sees: a runtime at a drive's root stays that root, not "R:".
    EXPECT_EQ(PublishedRuntimeHome(u"R:\\bin\\client\\jvm.dll"), WideString(u"R:\\"));
    EXPECT_EQ(PublishedRuntimeHome(u"\\\\?\\R:\\bin\\client\\jvm.dll"), WideString(u"\\\\?\\R:\\"));
    EXPECT_EQ(PublishedRuntimeHome(u"\\\\srv\\rt\\bin\\client\\jvm.dll"), WideString(u"\\\\srv\\rt"));
}

// Where the headers lie and how far they reach is checked on any input by the fuzz target; an
// e_lfanew near 4 GiB, whose sum with the header size wraps, it does not reach.
TEST(PeHeaders, OffsetThatWrapsPastTheEnd) {
    const std::string image = MinimalPeImage(0xFFFFFFF0u, kMachineX86, 0x200);
    size_t offset = 0;
    EXPECT_FALSE(LocatePeHeaders(reinterpret_cast<const unsigned char*>(image.data()), image.size(), offset));
}

// The machine each registry view's VM is built for, as the image header writes it: 0x14C for x86,
// 0x8664 for x64, as the 32-bit build sees them (the 64-bit build's are loaded end to end). Neither
// build's twin can load an ARM64 (0xAA64) library.
TEST(PeHeaders, MachineOfEachViewAndForeignMachinesOfThe32BitBuild) {
    EXPECT_EQ(VmMachineOfView(false, false), 0x14C);
    EXPECT_EQ(VmMachineOfView(true, false), 0x8664);
    EXPECT_FALSE(IsForeignMachine(0x14C, false));
    EXPECT_TRUE(IsForeignMachine(0x8664, false));
    EXPECT_FALSE(IsForeignMachine(0xAA64, false));
}
