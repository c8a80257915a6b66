#include <gtest/gtest.h>

#include "common/pe_image.h"
#include "common/wide_printer.h"
#include "launch/launcher.h"
#include "temp_folder.h"

namespace {
// The configuration file beside this test executable, removed again at the end.
class OwnConfiguration {
public:
    explicit OwnConfiguration(const std::string& text) {
        Launcher launcher;
        launcher.GetConfigurationFilePath(path);
        TempFolder::WriteFile(path, text);
    }
    ~OwnConfiguration() { DeleteFileW(W(path)); }

private:
    WideString path;
};

const char* kSettings =
    "[Product Information]\r\nProduct Name=Test: Product\r\nProduct Code=code\r\n"
    "[Java Runtime Environment]\r\nMain Class=App\r\nJRE Path=C:\\beside\r\n"
    "[Application]\r\nPair Product=C:\\twin\\quorvane.exe\r\nPair Return Code=Yes\r\n"
    "Omit Service Name=No\r\n";
}  // namespace

// What a launch shows of each key is checked end to end; here what this machine cannot run there
// (the hand-over to the 32-bit twin) and what a service reads differently.
TEST(ReadSettings, PairAndServiceKeys) {
    TempFolder appData;
    ScopedVariable variable(u"APPDATA", appData.Path());
    Launcher probe;
    probe.productName = u"Test: Product";
    probe.productCode = u"code";
    const WideString perUser = probe.GetPerUserConfigurationFilePath(true);
    TempFolder::WriteFile(perUser, "[Java Runtime Environment]\r\nJRE Path=C:\\per-user\r\n");
    {
        // Only exactly "service" and "yes" turn these on.
        OwnConfiguration configuration(std::string(kSettings) +
                                       "Application Type=Service\r\nSingle Instance=Yes\r\n");
        Launcher console;
        ASSERT_TRUE(console.ReadSettings());
        EXPECT_EQ(console.pairProduct, WideString(u"C:\\twin\\quorvane.exe"));
        EXPECT_TRUE(console.waitForPair);
        EXPECT_FALSE(console.serviceMode);
        EXPECT_FALSE(console.singleInstance);
        EXPECT_FALSE(console.omitServiceName);  // read in service mode only
    }
    {
        // A service is never a single instance, and reads no per-user file.
        OwnConfiguration configuration(std::string(kSettings) +
                                       "Application Type=service\r\nSingle Instance=yes\r\n");
        Launcher service;
        ASSERT_TRUE(service.ReadSettings());
        EXPECT_TRUE(service.serviceMode);
        EXPECT_FALSE(service.singleInstance);
        EXPECT_EQ(service.configuredRuntimePath, WideString(u"C:\\beside"));
    }
    // A per-user file without the key still hides the one beside the executable.
    TempFolder::WriteFile(perUser, "[Java Runtime Environment]\r\n");
    OwnConfiguration configuration(kSettings);
    Launcher console;
    ASSERT_TRUE(console.ReadSettings());
    EXPECT_TRUE(console.configuredRuntimePath.IsEmpty());
}

// Damaged, own-machine and unreadable libraries, with and without a twin, are loaded end to end;
// only the hand-over itself needs a 32-bit program there.
TEST(CheckArchitecture, ALibraryOfTheOtherMachineGoesToTheTwin) {
    TempFolder folder;
    const WideString file = folder / u"jvm.dll";
    TempFolder::WriteFile(file, MinimalPeImage(0x80, sizeof(void*) == 8 ? 0x014C : 0x8664, 0x400));
    Launcher launcher;
    launcher.runtimeLibraryPath = file;
    launcher.pairProduct = u"C:\\twin.exe";
    launcher.CheckArchitecture();
    EXPECT_TRUE(launcher.relaunchInPair);
}
