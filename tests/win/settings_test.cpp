#include <gtest/gtest.h>

#include <cstring>

#include "common/pe_image.h"
#include "common/wide_printer.h"
#include "launch/launcher.h"
#include "runtime/runtime_paths.h"
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
    "[Java Runtime Environment]\r\nMain Class=com.example.App\r\nJRE Path=C:\\beside\r\n"
    "Minimum Version=1.7\r\nMaximum Version=1.8\r\nPreferred versions=1.8;;1.7\r\n"
    "JVM Type=favor_server\r\nJVM Source=only_JRE\r\nVM Provider=IBM\r\n"
    "[Java Runtime Environment+]\r\nLibrary Path=lib\r\n"
    "[Application]\r\nFailure Check=yes\r\nOverride WorkingDir=YES\r\n"
    "Pair Product=C:\\twin\\quorvane.exe\r\nPair Return Code=Yes\r\nOmit Service Name=No\r\n";
}  // namespace

TEST(ReadSettings, EveryKeyInItsSection) {
    TempFolder appData;
    ScopedVariable variable(u"APPDATA", appData.Path());
    OwnConfiguration configuration(kSettings);
    Launcher launcher;
    ASSERT_TRUE(launcher.ReadSettings());
    EXPECT_EQ(launcher.productName, WideString(u"Test: Product"));
    EXPECT_EQ(launcher.mainClass, WideString(u"com/example/App"));
    EXPECT_EQ(launcher.configuredRuntimePath, WideString(u"C:\\beside"));
    EXPECT_EQ(launcher.minimumVersion, (JavaVersion{1, 7, 0, 0}));
    EXPECT_EQ(launcher.maximumVersion, (JavaVersion{1, 8, 65535, 65535}));
    EXPECT_EQ(launcher.preferredVersions.Count(), 3);
    EXPECT_EQ(launcher.jvmType, 2);
    EXPECT_FALSE(launcher.anyKindAccepted);
    EXPECT_TRUE(launcher.ibmFavored);
    EXPECT_EQ(launcher.libraryPath, WideString(u"lib"));
    EXPECT_TRUE(launcher.failureCheck);
    EXPECT_TRUE(launcher.overrideWorkingDir);
    EXPECT_EQ(launcher.pairProduct, WideString(u"C:\\twin\\quorvane.exe"));
    EXPECT_TRUE(launcher.waitForPair);
    EXPECT_FALSE(launcher.serviceMode);
    EXPECT_FALSE(launcher.omitServiceName);  // read in service mode only
}

TEST(ReadSettings, PerUserJrePathInConsoleModeOnly) {
    TempFolder appData;
    ScopedVariable variable(u"APPDATA", appData.Path());
    Launcher probe;
    probe.productName = u"Test: Product";
    probe.productCode = u"code";
    const WideString perUser = probe.GetPerUserConfigurationFilePath(true);
    TempFolder::WriteFile(perUser, "[Java Runtime Environment]\r\nJRE Path=C:\\per-user\r\n");

    {
        OwnConfiguration configuration(kSettings);
        Launcher console;
        ASSERT_TRUE(console.ReadSettings());
        EXPECT_EQ(console.configuredRuntimePath, WideString(u"C:\\per-user"));
    }
    {
        // A service is never a single instance.
        OwnConfiguration configuration(std::string(kSettings) +
                                       "Application Type=service\r\nSingle Instance=yes\r\n");
        Launcher service;
        ASSERT_TRUE(service.ReadSettings());
        EXPECT_TRUE(service.serviceMode);
        EXPECT_FALSE(service.singleInstance);
        EXPECT_TRUE(service.omitServiceName);  // any non-empty value, "No" included
        EXPECT_EQ(service.configuredRuntimePath, WideString(u"C:\\beside"));
    }
    // A per-user file without the key still hides the one beside the executable.
    TempFolder::WriteFile(perUser, "[Java Runtime Environment]\r\n");
    OwnConfiguration configuration(kSettings);
    Launcher console;
    ASSERT_TRUE(console.ReadSettings());
    EXPECT_TRUE(console.configuredRuntimePath.IsEmpty());
}

TEST(CheckArchitecture, DamagedLibrariesNeverAskForTheTwin) {
    const uint16_t foreign = sizeof(void*) == 8 ? 0x014C : 0x8664;
    const uint16_t own = sizeof(void*) == 8 ? 0x8664 : 0x014C;
    const auto image = MinimalPeImage;
    struct Case {
        const char* name;
        std::string bytes;
        bool pairProduct;
        bool relaunch;
    } cases[] = {
        {"foreign image", image(0x80, foreign, 0x400), true, true},
        {"foreign image, no pair", image(0x80, foreign, 0x400), false, false},
        {"own image", image(0x80, own, 0x400), true, false},
        {"cut inside the file header", image(0x80, foreign, 0x80 + 10), true, false},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const WideString file = folder / u"jvm.dll";
        TempFolder::WriteFile(file, c.bytes);
        Launcher launcher;
        launcher.runtimeLibraryPath = file;
        if (c.pairProduct) launcher.pairProduct = u"C:\\twin.exe";
        launcher.relaunchInPair = !c.relaunch;  // the check sets or clears it in every case
        launcher.CheckArchitecture();
        EXPECT_EQ(launcher.relaunchInPair, c.relaunch) << c.name;
    }
    Launcher missing;
    missing.pairProduct = u"C:\\twin.exe";
    missing.runtimeLibraryPath = folder / u"missing.dll";
    missing.CheckArchitecture();
    EXPECT_FALSE(missing.relaunchInPair);
}
