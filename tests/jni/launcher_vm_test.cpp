#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <regex>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "jni/real_vm.h"
#include "support/utf8.h"
#include "vmhost/java_objects.h"

// The launcher's VM hosting against a real HotSpot: main on both lookup routes, the exception
// text, the hooks the launcher hands the VM, and the options and streams it configures.
namespace {
enum Route { kHelper, kFindClass };  // the JDK's launcher helper, or FindClass
using Arguments = std::initializer_list<const char16_t*>;

// The launcher's state for one run of main: the class, its arguments and the lookup route.
void Prepare(Launcher& launcher, Route route, const char16_t* mainClass, Arguments arguments) {
    launcher.findClassFromBootLoader = route == kHelper ? RealFindClassFromBootLoader() : nullptr;
    launcher.mainClass = mainClass;
    launcher.arguments.Clear();
    for (const char16_t* argument : arguments) launcher.arguments.Append(argument);
}

// Skips when this machine has no such libjvm; fails when it has one that does not work.
class RealVmTest : public testing::Test {
protected:
    void SetUp() override { Use(true); }
    void Use(bool started) {
        const RealVm vm = BoundVm(started);
        if (vm.status == RealVm::kAbsent) GTEST_SKIP() << vm.reason;
        ASSERT_EQ(vm.status, RealVm::kReady) << vm.reason;
        launcher_ = vm.launcher;
        launcher_->failureCheck = false;
    }
    Launcher* launcher_ = nullptr;
};

struct MainRow {
    const char* behaviour;
    Route route;
    const char16_t* mainClass;
    Arguments arguments;
    bool returned;    // InvokeMain's result; a run that returns has detached its thread
    const char* out;  // the whole of standard output
    const char* err;  // a regex found in standard error, or "" for none at all
    bool failureCheck;
};

// Each row runs InvokeMain on a new thread attached to the shared VM, as it detaches the thread.
void ExpectMainRuns(Launcher& launcher, std::initializer_list<MainRow> rows) {
    JNIEnv* const testThreadEnv = launcher.jniEnv;
    for (const MainRow& row : rows) {
        SCOPED_TRACE(row.behaviour);
        Prepare(launcher, row.route, row.mainClass, row.arguments);
        launcher.failureCheck = row.failureCheck;
        bool returned = false;
        bool detached = false;
        CapturedOutput output;
        std::thread([&] {
            JavaVM* vm = launcher.javaVm;
            ASSERT_EQ(vm->AttachCurrentThread(reinterpret_cast<void**>(&launcher.jniEnv), nullptr),
                      JNI_OK);
            returned = launcher.InvokeMain();
            void* env = nullptr;
            detached = vm->GetEnv(&env, JNI_VERSION_1_2) == JNI_EDETACHED;
            if (!detached) vm->DetachCurrentThread();
        }).join();
        output.Finish();
        EXPECT_EQ(returned, row.returned);
        EXPECT_EQ(detached, row.returned);  // a failed run leaves detaching to its caller
        EXPECT_EQ(output.out, row.out);
        EXPECT_TRUE(*row.err ? std::regex_search(output.err, std::regex(row.err))
                             : output.err.empty())
            << output.err;
    }
    launcher.jniEnv = testThreadEnv;
}

std::string Read(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

WideString PathIn(const std::string& folder, const char* name) {
    return WideString(DecodeUtf8(folder + name));
}
}  // namespace

TEST_F(RealVmTest, DefaultThreadStackSizeComesFromTheVm) {
    const size_t size = launcher_->DefaultThreadStackSize();
    EXPECT_GT(size, 0u);
    EXPECT_EQ(size % 1024, 0u) << size;  // the VM keeps it in KiB
}

TEST_F(RealVmTest, MainRunsAsItsRouteAndClassDecide) {
    // An empty argument, Latin-1, Cyrillic, a surrogate pair, a lone surrogate, a blank.
    const Arguments varied = {u"", u"Gr\u00fc\u00dfe", u"\u0416", u"\U0001F600", u"x\xDC00", u"a b"};
    const char* variedOut = "argc=6\n[]\n[0047 0072 00fc 00df 0065]\n[0416]\n[d83d de00]\n"
                            "[0078 dc00]\n[0061 0020 0062]\n";
    const char* thrown = "Exception in thread .*java.lang.IllegalStateException: bad state";
    ExpectMainRuns(*launcher_, {
        {"no arguments are an empty array", kHelper, u"jnitest/Probe", {}, true, "argc=0\n", ""},
        {"helper route", kHelper, u"jnitest/Probe", varied, true, variedOut, ""},
        {"FindClass route", kFindClass, u"jnitest/Probe", varied, true, variedOut, ""},
        // Still pending at detach, so the VM reports it as uncaught; the failure check puts it back.
        {"main throws", kHelper, u"jnitest/Probe", {u"throw"}, true, "", thrown, false},
        {"main throws, failure check", kHelper, u"jnitest/Probe", {u"throw"}, true, "", thrown, true},
        {"FindClass, class missing", kFindClass, u"jnitest/Missing", {}, false,
         "Error: Could not find the main class jnitest/Missing.\r\n \r\n",
         "java.lang.NoClassDefFoundError: jnitest/Missing"},
        {"FindClass, no main", kFindClass, u"jnitest/NoMain", {}, false,
         "Error: No main method found in specified class.\r\n \r\n", "java.lang.NoSuchMethodError"},
    });
}

// The main methods that JDK 25 added, through the launcher helper as the java command runs them;
// the class route keeps asking for a static main(String[]). Runs only on VMs of JDK 25 and later.
TEST_F(RealVmTest, Jdk25MainsOfEveryKindRunOnTheHelperRoute) {
    const Arguments two = {u"a b", u"c"};
    ExpectMainRuns(*launcher_, {
        {"instance main(String[])", kHelper, u"jnitest/InstanceMain", two, true,
         "instance argc=2\n[a b]\n[c]\n", ""},
        {"instance main()", kHelper, u"jnitest/InstanceNoArgMain", two, true, "instance main()\n", ""},
        {"static main()", kHelper, u"jnitest/StaticNoArgMain", two, true, "static main()\n", ""},
        {"the constructor throws", kHelper, u"jnitest/ConstructorThrows", two, true, "",
         "java.lang.IllegalStateException: constructor refused"},
        {"FindClass route", kFindClass, u"jnitest/InstanceMain", two, false,
         "Error: No main method found in specified class.\r\n \r\n", "NoSuchMethodError"},
    });
}

TEST_F(RealVmTest, ExceptionTextCarriesTypeMessageAndFrames) {
    JNIEnv* env = launcher_->jniEnv;
    Prepare(*launcher_, kHelper, u"jnitest/Probe", {u"throw"});
    LocalRef type(env, env->FindClass("jnitest/Probe"));
    ASSERT_TRUE(type);
    const auto probe = static_cast<jclass>(type.get());
    LocalRef arguments(env, NewStringArray(env, launcher_->arguments));
    env->CallStaticVoidMethod(probe, env->GetStaticMethodID(probe, "main", "([Ljava/lang/String;)V"),
                              arguments.get());
    LocalRef thrown(env, env->ExceptionOccurred());
    ASSERT_TRUE(thrown);
    env->ExceptionClear();

    const WideString text = launcher_->ExceptionText(env, static_cast<jthrowable>(thrown.get()));
    EXPECT_FALSE(env->ExceptionCheck());
    for (const char16_t* part :
         {u"java.lang.IllegalStateException: bad state: Gr\u00fc\u00dfe \U0001F600",
          u"\tat jnitest.Probe.main(Probe.java:"})
        EXPECT_GE(text.FindText(part), 0) << EncodeUtf8(text);
}

// Runs that end the process or need a VM with settings of their own, each in a child process (one
// VM per process): the row's settings on top of main of jnitest.Probe "report" on the helper
// route, the run thread's whole procedure on a thread of its own, then the VM destroyed. The
// child's standard output joins its standard error, which the row's regex must match.
namespace {
class ChildRunDeathTest : public RealVmTest {
protected:
    void SetUp() override { Use(false); }  // the child makes the VM
};

struct ChildRow {
    const char* behaviour;
    void (*setUp)(Launcher& launcher, const std::string& folder);
    std::function<bool(int)> ends;
    const char* err;
    // Files in the folder and their whole text, a regex; each is first written with "old\n"
    // where its folder exists.
    std::vector<std::pair<const char*, const char*>> files;
};
}  // namespace

TEST_F(ChildRunDeathTest, RunsEndAsTheirSettingsDecide) {
    const char* work = std::getenv("QZ_TEST_WORK");  // a folder of this VM's run alone
    ASSERT_TRUE(work);
    const std::string folder = std::string(work) + "/";
    const ChildRow rows[] = {
        {"System.exit reaches the exit hook",
         [](Launcher& l, const std::string&) { Prepare(l, kHelper, u"jnitest/Probe", {u"exit"}); },
         testing::ExitedWithCode(3), "exit hook: 3"},
        {"the launcher helper reports a missing class itself and exits",
         [](Launcher& l, const std::string&) { l.mainClass = u"jnitest/Missing"; },
         testing::ExitedWithCode(1), "Could not find or load main class jnitest\\.Missing.*exit hook: 1"},
        {"a failed run leaves the VM destroyable",  // DestroyJavaVM waits for attached threads
         [](Launcher& l, const std::string&) { Prepare(l, kFindClass, u"jnitest/Missing", {}); },
         testing::ExitedWithCode(0), "run 1, destroy 0"},
        {"a JNI fatal error reaches the abort hook",
         [](Launcher& l, const std::string&) {
             const rlimit noCore{0, 0};
             setrlimit(RLIMIT_CORE, &noCore);
             l.CreateJavaVm();
             l.jniEnv->GetStaticMethodID(nullptr, "main", "([Ljava/lang/String;)V");
         },
         testing::KilledBySignal(SIGABRT), "abort hook"},
        {"failed creation is reported on standard output",
         [](Launcher& l, const std::string&) { l.vmOptions.Append("-XX:+QuorvaneNoSuchOption"); },
         testing::ExitedWithCode(0),
         "Error: JNI exception: failed to create the Java VM\r\nReason: invalid arguments\\.\r\n"
         " \r\nrun 1, destroy -1"},
        // A leading blank (an empty option the VM would refuse), a quoted value with a blank, a
        // share of the machine's memory.
        {"VM parameters as the launcher assembles them start the VM",
         [](Launcher& l, const std::string&) {
             l.AddVmParameterOptions(u" -Xmx10:64:256P -Dqz.home=\"C:\\My App\" -Xss2m");
         },
         testing::ExitedWithCode(0), "home=C:\\\\My App\nheap=2[0-9][0-9]M\nerr line\nout line\n"
         "run 0, destroy 0"},
        {"streams reach their files, truncated or appended as each is set",
         [](Launcher& l, const std::string& folder) {
             l.outputFile = PathIn(folder, "out.log");
             l.errorFile = PathIn(folder, "err.log");
             l.appendError = true;
         },
         testing::ExitedWithCode(0), "run 0, destroy 0",
         {{"out.log", "home=null\nheap=[0-9]+M\nout line\n"}, {"err.log", "old\nerr line\n"}}},
        {"one file, its folder made, keeps the lines of both streams",
         [](Launcher& l, const std::string& folder) {
             l.outputFile = PathIn(folder, "new/both.log");
             l.errorFile = PathIn(folder, "new/both.log");
         },
         testing::ExitedWithCode(0), "run 0, destroy 0",
         {{"new/both.log", "home=null\nheap=[0-9]+M\nerr line\nout line\n"}}},
    };
    for (const ChildRow& row : rows) {
        SCOPED_TRACE(row.behaviour);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        for (const auto& [name, text] : row.files) std::ofstream(folder + name) << "old\n";
        const auto run = [&] {
            dup2(2, 1);
            Prepare(*launcher_, kHelper, u"jnitest/Probe", {u"report"});
            row.setUp(*launcher_, folder);
            uint32_t result = 9;
            std::thread([&] { result = launcher_->RunThreadProcedure(); }).join();
            JavaVM* vm = launcher_->javaVm;
            std::fprintf(stderr, "run %u, destroy %d\n", result, vm ? vm->DestroyJavaVM() : -1);
            std::_Exit(0);
        };
        EXPECT_EXIT(run(), row.ends, row.err);
        for (const auto& [name, text] : row.files)
            EXPECT_TRUE(std::regex_match(Read(folder + name), std::regex(text))) << name;
    }
    std::filesystem::remove_all(folder);
}
