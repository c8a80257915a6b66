#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <functional>
#include <string>
#include <thread>

#include "jni/real_vm.h"
#include "support/utf8.h"

// The launcher's VM options and stream redirection against a real VM. Each run creates a VM of
// its own in a child process (one VM per process), so the shared VM of the other tests never
// sees these options or streams.
namespace {
class LaunchConfigurationDeathTest : public testing::Test {
protected:
    void SetUp() override {
        const RealVm vm = BoundVm();
        if (vm.status == RealVm::kAbsent) GTEST_SKIP() << vm.reason;
        ASSERT_EQ(vm.status, RealVm::kReady) << vm.reason;
        launcher_ = vm.launcher;
        // The death-test child runs SetUp and the test anew, so the folder has a fixed name:
        // the test's and the VM's, as the two VMs' runs may overlap.
        const char* library = std::getenv("QZ_TEST_LIBJVM");
        folder_ = "/tmp/qz-jni-" + std::to_string(getuid()) + "-" +
                  std::to_string(std::hash<std::string>()(library ? library : "")) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name();
        std::system(("rm -rf '" + folder_ + "' && mkdir -p '" + folder_ + "'").c_str());
    }
    void TearDown() override {
        if (!folder_.empty()) std::system(("rm -rf '" + folder_ + "'").c_str());
    }

    // The run thread's whole procedure on a thread of its own, then the child's exit with its
    // result: VM creation with the options, redirection, main of jnitest.Report.
    [[noreturn]] void RunReport() {
        launcher_->mainClass = u"jnitest/Report";
        uint32_t result = 9;
        std::thread run([&] { result = launcher_->RunThreadProcedure(); });
        run.join();
        std::fflush(nullptr);
        std::_Exit(static_cast<int>(result));
    }

    std::string Path(const char* name) const { return folder_ + "/" + name; }
    WideString FileName(const char* name) const { return WideString(DecodeUtf8(Path(name))); }
    static std::string Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    static void Write(const std::string& path, const char* text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    Launcher* launcher_ = nullptr;
    std::string folder_;
};
}  // namespace

TEST_F(LaunchConfigurationDeathTest, TheVmRefusesAnEmptyOption) {
    const auto createWithEmptyOption = [&] {
        dup2(2, 1);
        launcher_->vmOptions.Append("");
        std::_Exit(launcher_->CreateJavaVm() ? 0 : 7);
    };
    EXPECT_EXIT(createWithEmptyOption(), testing::ExitedWithCode(7), "Unrecognized option: \n");
}

TEST_F(LaunchConfigurationDeathTest, ParametersAsTheLauncherAssemblesThemStartTheVm) {
    const auto run = [&] {
        dup2(2, 1);
        // A leading blank, a quoted value with a blank, a share of the machine's memory.
        launcher_->AddVmParameterOptions(u" -Xmx10:64:256P -Dqz.home=\"C:\\My App\" -Xss2m");
        RunReport();
    };
    EXPECT_EXIT(run(), testing::ExitedWithCode(0), "home=C:\\\\My App\nheap=2[0-9][0-9]M\n");
}

TEST_F(LaunchConfigurationDeathTest, StreamsReachTheirFilesTruncatedOrAppended) {
    Write(Path("err.log"), "old err\n");
    const auto run = [&] {
        launcher_->outputFile = FileName("new/out.log");  // its folder is created
        launcher_->errorFile = FileName("err.log");
        launcher_->appendError = true;
        RunReport();
    };
    EXPECT_EXIT(run(), testing::ExitedWithCode(0), "");
    const std::string out = Read(Path("new/out.log"));
    EXPECT_EQ(out.substr(0, 15), "home=null\nheap=") << out;
    EXPECT_NE(out.find("M\nout line\n"), std::string::npos) << out;
    EXPECT_EQ(Read(Path("err.log")), "old err\nerr line\n");
}

TEST_F(LaunchConfigurationDeathTest, StreamsOpenedWithoutAppendStartEmpty) {
    Write(Path("out.log"), "old out\n");
    Write(Path("err.log"), "old err\n");
    const auto run = [&] {
        launcher_->outputFile = FileName("out.log");
        launcher_->errorFile = FileName("err.log");
        RunReport();
    };
    EXPECT_EXIT(run(), testing::ExitedWithCode(0), "");
    EXPECT_EQ(Read(Path("out.log")).substr(0, 10), "home=null\n");
    EXPECT_EQ(Read(Path("err.log")), "err line\n");
}

TEST_F(LaunchConfigurationDeathTest, OneFileKeepsTheLinesOfBothStreams) {
    Write(Path("both.log"), "old\n");
    const auto run = [&] {
        launcher_->outputFile = FileName("both.log");
        launcher_->errorFile = FileName("both.log");
        RunReport();
    };
    EXPECT_EXIT(run(), testing::ExitedWithCode(0), "");
    const std::string both = Read(Path("both.log"));
    EXPECT_EQ(both.substr(0, 10), "home=null\n") << both;
    EXPECT_NE(both.find("\nerr line\nout line\n"), std::string::npos) << both;
}
