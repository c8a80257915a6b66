#include <gtest/gtest.h>

#include "common/pe_image.h"
#include "common/wide_printer.h"
#include "launch/launcher.h"
#include "temp_folder.h"

namespace {
const char* kSettings =
    "[Product Information]\r\nProduct Name=Test: Product\r\nProduct Code=code\r\n"
    "[Java Runtime Environment]\r\nMain Class=App\r\nJRE Path=C:\\beside\r\n"
    "[Application]\r\nPair Product=C:\\twin\\quorvane.exe\r\nPair Return Code=Yes\r\n"
    "Omit Service Name=No\r\n";
}  // namespace

// What a launch shows of each key is checked end to end (the pair's name where the chosen runtime
// is saved for it too); here what this machine cannot run there (the hand-over to the 32-bit twin)
// and what a service reads differently.
TEST(ReadSettings, PairAndServiceKeys) {
    TempFolder appData;
    ScopedVariable variable(u"APPDATA", appData.path);
    Launcher probe;
    probe.productName = u"Test: Product";
    probe.productCode = u"code";
    const WideString perUser = probe.GetPerUserConfigurationFilePath(true);
    const char* perUserPath = "[Java Runtime Environment]\r\nJRE Path=C:\\per-user\r\n";
    struct Case {
        const char* behaviour;
        const char *application, *perUser;
        bool service, omit;
        const char16_t* runtimePath;
    } cases[] = {
        {"only exactly service and yes turn these on", "Application Type=Service\r\nSingle Instance=Yes\r\n",
         perUserPath, false, false, u"C:\\per-user"},
        // Any value of Omit Service Name counts, in service mode only.
        {"a service is never a single instance, and reads no per-user file",
         "Application Type=service\r\nSingle Instance=yes\r\n", perUserPath, true, true, u"C:\\beside"},
        {"a per-user file without the key still hides the one beside the executable", "",
         "[Java Runtime Environment]\r\n", false, false, u""},
    };
    WideString configuration;  // beside this test executable, removed again at the end
    Launcher().GetConfigurationFilePath(configuration);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.behaviour);
        TempFolder::WriteFile(perUser, c.perUser);
        TempFolder::WriteFile(configuration, std::string(kSettings) + c.application);
        Launcher launcher;
        EXPECT_TRUE(launcher.ReadSettings());
        EXPECT_TRUE(launcher.waitForPair);
        EXPECT_EQ(launcher.serviceMode, c.service);
        EXPECT_FALSE(launcher.singleInstance);
        EXPECT_EQ(launcher.omitServiceName, c.omit);
        EXPECT_EQ(launcher.configuredRuntimePath, WideString(c.runtimePath));
    }
    DeleteFileW(W(configuration));
}

// Damaged, own-machine and unreadable libraries, with and without a twin, are loaded end to end;
// only the hand-over itself needs a 32-bit program there.
TEST(CheckArchitecture, ALibraryOfTheOtherMachineGoesToTheTwin) {
    TempFolder folder;
    Launcher launcher;
    launcher.runtimeLibraryPath = folder / u"jvm.dll";
    TempFolder::WriteFile(launcher.runtimeLibraryPath,
                          MinimalPeImage(0x80, sizeof(void*) == 8 ? 0x014C : 0x8664, 0x400));
    launcher.pairProduct = u"C:\\twin.exe";
    launcher.CheckArchitecture();
    EXPECT_TRUE(launcher.relaunchInPair);
}
