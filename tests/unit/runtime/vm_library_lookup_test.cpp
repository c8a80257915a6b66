#include <gtest/gtest.h>

#include "common/wide_printer.h"
#include "runtime/vm_library_lookup.h"

TEST(VmLibraryCandidates, OrderByVmType) {
    auto names = [](int32_t vmType) {
        std::vector<std::u16string> paths;
        for (const VmLibraryCandidate& candidate : VmLibraryCandidates(vmType))
            paths.push_back(std::u16string(candidate.subPath) + (candidate.server ? u"*" : u""));
        return paths;
    };
    const std::vector<std::u16string> any = {u"bin\\client\\jvm.dll", u"bin\\classic\\jvm.dll",
                                             u"bin\\hotspot\\jvm.dll", u"bin\\server\\jvm.dll*",
                                             u"bin\\jrockit\\jvm.dll"};
    EXPECT_EQ(names(0), any);
    EXPECT_EQ(names(1), std::vector<std::u16string>{u"bin\\server\\jvm.dll*"});
    std::vector<std::u16string> favorServer = any;
    favorServer.insert(favorServer.begin(), u"bin\\server\\jvm.dll*");
    EXPECT_EQ(names(2), favorServer);
    EXPECT_EQ(names(7), any);  // unknown types behave as "any VM"
}

