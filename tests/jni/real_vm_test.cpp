// The launcher's VM hosting against this machine's HotSpot libjvm.so with -Xcheck:jni: main on
// both lookup routes, the exception text, the hooks the launcher hands the VM, and the options and
// streams it configures.
#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <regex>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "common/libjvm_binding.h"
#include "launch/launcher.h"
#include "support/utf8.h"
#include "vmhost/java_objects.h"

namespace {
// The process's one Launcher, bound to the libjvm.so named by QZ_TEST_LIBJVM: its three exports,
// the test classes as class path, -Xcheck:jni, and an exit listener that writes
// "exit hook: <code>" and "abort hook" lines to standard error. One VM per process: it is created
// on first use, on the test thread (a thread with a large stack, not the primordial one), which
// then stays attached; the launcher destroys it after the last test.
struct {
    Launcher* launcher = nullptr;
    std::string absent;  // why there is no VM to test: the tests skip
    std::string broken;  // why the VM there does not work: the tests fail
    FindClassFromBootLoaderFunction findClassFromBootLoader = nullptr;  // the library's own
} vm;

class StderrExitListener final : public ExitListener {
public:
    void OnExit(int code) override { std::fprintf(stderr, "exit hook: %d\n", code); }
    void OnAbort() override { std::fputs("abort hook\n", stderr); }
} listener;

// The Launcher lives on the test thread's stack, never in a static: a VM that ends the process
// from a thread of its own runs the static destructors while it exits.
void* RunTests(void* result) {
    Launcher launcher;
    vm.launcher = &launcher;
    const char* path = std::getenv("QZ_TEST_LIBJVM");
    if (!path || access(path, R_OK) != 0) {
        vm.absent = std::string("no VM on this machine: ") + (path ? path : "QZ_TEST_LIBJVM unset");
    } else {
        vm.broken = BindLibjvm(launcher, path);
        vm.findClassFromBootLoader = launcher.findClassFromBootLoader;
        launcher.vmOptions.Append("-Djava.class.path=" QZ_TEST_CLASSES);
        launcher.vmOptions.Append("-Xcheck:jni");
        launcher.exitListener = &listener;
    }
    *static_cast<int*>(result) = RUN_ALL_TESTS();
    vm.launcher = nullptr;
    return nullptr;  // ~Launcher destroys the VM on the thread that created it
}

enum Route { kHelper, kFindClass };  // the JDK's launcher helper, or FindClass
using Arguments = std::initializer_list<const char16_t*>;

// The launcher's state for one run of main: the class, its arguments and the lookup route.
void Prepare(Launcher& launcher, Route route, const char16_t* mainClass, Arguments arguments) {
    launcher.findClassFromBootLoader = route == kHelper ? vm.findClassFromBootLoader : nullptr;
    launcher.mainClass = mainClass;
    launcher.arguments.Clear();
    for (const char16_t* argument : arguments) launcher.arguments.Append(argument);
}

// Skips when this machine has no such libjvm; fails when it has one that does not work.
class RealVmTest : public testing::Test {
protected:
    void SetUp() override { Use(true); }
    void Use(bool started) {
        if (!vm.absent.empty()) GTEST_SKIP() << vm.absent;
        if (started && vm.broken.empty() && !vm.launcher->javaVm && !vm.launcher->CreateJavaVm())
            vm.broken = "the launcher could not create the VM";
        ASSERT_EQ(vm.broken, "");
    }
    Launcher* const launcher_ = vm.launcher;
};

struct MainRow {
    const char* behaviour;
    Route route;
    const char16_t* mainClass;
    Arguments arguments;
    bool returned;    // InvokeMain's result; a run that returns has detached its thread
    const char* out;  // the whole of standard output
    const char* err;  // a regex found in standard error, or "" for none at all
};

// Each row runs InvokeMain on a new thread attached to the shared VM, as it detaches the thread.
// The failure check is on: it takes an exception that main threw to build its text and puts it
// back, so that, still pending at detach, the VM reports it as uncaught.
void ExpectMainRuns(Launcher& launcher, std::initializer_list<MainRow> rows) {
    JNIEnv* const testThreadEnv = launcher.jniEnv;
    launcher.failureCheck = true;
    for (const MainRow& row : rows) {
        SCOPED_TRACE(row.behaviour);
        Prepare(launcher, row.route, row.mainClass, row.arguments);
        bool returned = false, detached = false;
        // What the whole process writes meanwhile, the VM included. It is echoed afterwards, so that
        // a JNI warning printed meanwhile still reaches the output check.
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        std::thread([&] {
            JavaVM* vm = launcher.javaVm;
            ASSERT_EQ(vm->AttachCurrentThread(reinterpret_cast<void**>(&launcher.jniEnv), nullptr),
                      JNI_OK);
            returned = launcher.InvokeMain();
            void* env = nullptr;
            detached = vm->GetEnv(&env, JNI_VERSION_1_2) == JNI_EDETACHED;
            if (!detached) vm->DetachCurrentThread();
        }).join();
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        std::fputs((out + err).c_str(), stderr);
        EXPECT_EQ(returned, row.returned);
        EXPECT_EQ(detached, row.returned);  // a failed run leaves detaching to its caller
        EXPECT_EQ(out, row.out);
        EXPECT_TRUE(*row.err ? std::regex_search(err, std::regex(row.err)) : err.empty()) << err;
    }
    launcher.jniEnv = testThreadEnv;
}

}  // namespace

TEST_F(RealVmTest, MainRunsAsItsRouteAndClassDecide) {
    ExpectMainRuns(*launcher_, {
        // An empty argument, Latin-1, Cyrillic, a surrogate pair, a lone surrogate, a blank.
        {"arguments unit for unit", kFindClass, u"jnitest/Probe",
         {u"", u"Gr\u00fc\u00dfe", u"\u0416", u"\U0001F600", u"x\xDC00", u"a b"}, true,
         "argc=6\n[]\n[0047 0072 00fc 00df 0065]\n[0416]\n[d83d de00]\n[0078 dc00]\n"
         "[0061 0020 0062]\n", ""},
        // Without the failure check, and a class or main that FindClass cannot find, it is the
        // test runtime's run end to end.
        {"main throws", kHelper, u"jnitest/Probe", {u"throw"}, true, "",
         "Exception in thread .*java.lang.IllegalStateException: bad state"},
    });
}

// The main methods that JDK 25 added, through the launcher helper as the java command runs them
// (the class route keeps asking for a static main(String[])). Runs only on VMs of JDK 25.
TEST_F(RealVmTest, Jdk25MainsOfEveryKindRunOnTheHelperRoute) {
    const Arguments two = {u"a b", u"c"};
    ExpectMainRuns(*launcher_, {
        {"instance main(String[])", kHelper, u"jnitest/InstanceMain", two, true,
         "instance main(a b, c)\n", ""},
        {"instance main()", kHelper, u"jnitest/InstanceNoArgMain", two, true, "instance main()\n",
         ""},
        {"static main()", kHelper, u"jnitest/StaticNoArgMain", two, true, "static main()\n", ""},
        {"the constructor throws", kHelper, u"jnitest/ConstructorThrows", two, true, "",
         "java.lang.IllegalStateException: constructor refused"},
    });
}

TEST_F(RealVmTest, ExceptionTextCarriesTypeMessageAndFrames) {
    JNIEnv* env = launcher_->jniEnv;
    Prepare(*launcher_, kHelper, u"jnitest/Probe", {u"throw"});
    LocalRef type(env, env->FindClass("jnitest/Probe"));
    ASSERT_TRUE(type);
    const auto probe = static_cast<jclass>(type.get());
    LocalRef arguments(env, NewStringArray(env, launcher_->arguments));
    env->CallStaticVoidMethod(
        probe, env->GetStaticMethodID(probe, "main", "([Ljava/lang/String;)V"), arguments.get());
    LocalRef thrown(env, env->ExceptionOccurred());  // none: the text is empty
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
// child's standard output joins its standard error, which the row's regex must match. Each child
// works in an empty folder of this VM's run alone, QZ_TEST_WORK.
namespace {
class ChildRunDeathTest : public RealVmTest {
protected:
    void SetUp() override { Use(false); }  // the child makes the VM
};

// A white pixel.
constexpr char kGif[] = "GIF89a\1\0\1\0\x80\0\0\0\0\0\xff\xff\xff,\0\0\0\0\1\0\1\0\0\2\2D\1\0;";

// Writes the image file and shows it as the launcher does, before the VM; main prints what it finds.
void ShowSplash(Launcher& launcher, std::string_view image) {
    std::ofstream("splash.gif", std::ios::binary).write(image.data(), image.size());
    Prepare(launcher, kHelper, u"jnitest/Probe", {u"splash"});
    launcher.runtimeLibraryPath = DecodeUtf8(std::getenv("QZ_TEST_LIBJVM"));
    launcher.AddVmParameterOptions(u"-splash:splash.gif", {}, {});
    launcher.ShowSplashScreen();
}

// The class-data archive, beside the work folder so that it outlives a row.
std::string Archive() { return std::string(std::getenv("QZ_TEST_WORK")) + ".jsa"; }

// Class data sharing as the launcher sets it up for this VM, with the classes from a jar (the VM
// archives jars only).
void ShareClassData(Launcher& launcher) {
    launcher.vmOptions.Append("-Djava.class.path=" QZ_TEST_JAR);
    launcher.runtimeVersion.major = std::atoi(std::getenv("QZ_TEST_JAVA"));
    unsigned char header[4] = {};
    std::ifstream file(Archive(), std::ios::binary);
    const bool found = file.read(reinterpret_cast<char*>(header), sizeof header).good();
    launcher.AddClassDataSharingOptions(
        DecodeUtf8(Archive()), found ? ArchiveStateOf(header, sizeof header) : ArchiveState::Missing, true);
}

struct ChildRow {
    const char* behaviour;
    void (*setUp)(Launcher& launcher);
    std::function<bool(int)> ends;
    const char* err;
    // Files and their whole text afterwards, a regex; each is first written with "old\n" where
    // its folder exists.
    std::vector<std::pair<const char*, const char*>> files;
};
}  // namespace

TEST_F(ChildRunDeathTest, RunsEndAsTheirSettingsDecide) {
    const char* work = std::getenv("QZ_TEST_WORK");
    ASSERT_TRUE(work);
    const std::string folder = std::string(work) + "/";
    const ChildRow rows[] = {
        {"System.exit reaches the exit hook",
         [](Launcher& l) { Prepare(l, kHelper, u"jnitest/Probe", {u"exit"}); },
         testing::ExitedWithCode(3), "exit hook: 3"},
        {"the launcher helper reports a missing class itself and exits",
         [](Launcher& l) { l.mainClass = u"jnitest/Missing"; }, testing::ExitedWithCode(1),
         "Could not find or load main class jnitest\\.Missing.*exit hook: 1"},
        {"a failed run leaves the VM destroyable",  // DestroyJavaVM waits for attached threads
         [](Launcher& l) { Prepare(l, kFindClass, u"jnitest/Missing", {}); },
         testing::ExitedWithCode(0), "run 1, destroy 0"},
        {"a JNI fatal error reaches the abort hook",
         [](Launcher& l) {
             const rlimit noCore{0, 0};
             setrlimit(RLIMIT_CORE, &noCore);
             l.CreateJavaVm();
             l.jniEnv->GetStaticMethodID(nullptr, "main", "([Ljava/lang/String;)V");
         },
         testing::KilledBySignal(SIGABRT), "abort hook"},
        // A leading blank (an empty option, which the VM refuses), a quoted value with a blank, a
        // share of the machine's memory.
        {"VM parameters as the launcher assembles them start the VM",
         [](Launcher& l) {
             l.AddVmParameterOptions(u" -Xmx10:64:256P -Dqz.home=\"C:\\My App\" -Xss2m", {}, {});
         },
         testing::ExitedWithCode(0),
         "home=C:\\\\My App\nheap=2[0-9][0-9]M\nerr line\nout line\nrun 0, destroy 0"},
        // The splash-screen library of the VM's runtime shows it before the VM starts,
        // and the program's toolkit finds that splash; "-splash:" never reaches the VM.
        {"a splash screen shown before the VM is the program's",
         [](Launcher& l) { ShowSplash(l, {kGif, sizeof kGif - 1}); },
         testing::ExitedWithCode(0), "splash=file:/.*/splash\\.gif\nrun 0, destroy 0"},
        {"an image the library cannot read starts the program without one",
         [](Launcher& l) { ShowSplash(l, "not an image"); }, testing::ExitedWithCode(0),
         "splash=null\nrun 0, destroy 0"},
        // The archive of a first start is the VM's own (the launcher finds its header usable) and
        // the next start takes the program's class from it; a corrupt one gives a quiet start
        // (the launcher removes it, and the VM's start is as without one).
        {"class data: a first start makes the archive",
         [](Launcher& l) {
             std::remove(Archive().c_str());
             ShareClassData(l);
         },
         testing::ExitedWithCode(0), "^home=null\nheap=[0-9]+M\nerr line\nout line\nrun 0, destroy 0"},
        {"class data: the next start maps it",
         [](Launcher& l) {
             ShareClassData(l);
             l.vmOptions.Append("-Xlog:class+load");
         },
         testing::ExitedWithCode(0), "jnitest.Probe source: shared objects file \\(top\\)"},
        {"class data: a corrupt archive gives a start without it",
         [](Launcher& l) {
             // A write cut short: the header comes last.
             std::ofstream(Archive(), std::ios::binary) << std::string(4096, '\0');
             ShareClassData(l);
         },
         testing::ExitedWithCode(0), "^home=null\nheap=[0-9]+M\nerr line\nout line\nrun 0, destroy 0"},
        {"streams reach their files, truncated or appended as each is set",
         [](Launcher& l) {
             l.outputFile = u"out.log";
             l.errorFile = u"err.log";
             l.appendError = true;
         },
         testing::ExitedWithCode(0), "run 0, destroy 0",
         {{"out.log", "home=null\nheap=[0-9]+M\nout line\n"}, {"err.log", "old\nerr line\n"}}},
        {"one file, its folder made, keeps the lines of both streams",
         [](Launcher& l) { l.outputFile = l.errorFile = u"new/both.log"; },
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
            std::filesystem::current_path(folder);
            Prepare(*launcher_, kHelper, u"jnitest/Probe", {u"report"});
            row.setUp(*launcher_);
            uint32_t result = 9;
            std::thread([&] { result = launcher_->RunThreadProcedure(); }).join();
            JavaVM* vm = launcher_->javaVm;
            std::fprintf(stderr, "run %u, destroy %d\n", result, vm ? vm->DestroyJavaVM() : -1);
            std::_Exit(0);
        };
        EXPECT_EXIT(run(), row.ends, row.err);
        for (const auto& [name, text] : row.files) {
            std::ifstream file(folder + name, std::ios::binary);
            const std::string content(std::istreambuf_iterator<char>(file), {});
            EXPECT_TRUE(std::regex_match(content, std::regex(text))) << name << ": " << content;
        }
    }
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // A death test's child runs this binary afresh and so makes a VM of its own; forking a process
    // that already hosts a VM would copy one thread of it.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // HotSpot wants a VM made on a thread of its own rather than on the primordial one.
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, size_t{16} << 20);
    pthread_t thread;
    int result = 1;
    if (pthread_create(&thread, &attributes, RunTests, &result) != 0) return 1;
    pthread_join(thread, nullptr);
    return result;
}
