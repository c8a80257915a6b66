#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <thread>

#include "jni/real_vm.h"
#include "support/utf8.h"
#include "vmhost/java_objects.h"

namespace {
enum class Route { kLauncherHelper, kFindClass };

const char* RouteName(Route route) {
    return route == Route::kLauncherHelper ? "LauncherHelper route" : "FindClass route";
}

// The launcher's state for one run of main: the class, its arguments and the lookup route.
void Prepare(Launcher& launcher, Route route, const char16_t* mainClass,
             std::initializer_list<const char16_t*> arguments = {}) {
    launcher.findClassFromBootLoader =
        route == Route::kLauncherHelper ? RealFindClassFromBootLoader() : nullptr;
    launcher.mainClass = mainClass;
    launcher.arguments.Clear();
    for (const char16_t* argument : arguments) launcher.arguments.Append(argument);
}

struct MainRun {
    bool returned = false;  // InvokeMain's result
    bool detached = false;  // the thread was detached afterwards
    std::string out;        // the process's standard output and error meanwhile
    std::string err;
};

MainRun InvokeMain(Launcher& launcher) {
    MainRun run;
    CapturedOutput output;
    run.detached = OnAttachedThread(launcher, [&] { run.returned = launcher.InvokeMain(); });
    output.Finish();
    run.out = output.out;
    run.err = output.err;
    return run;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Skips when this machine has no such libjvm; fails when it has one that does not work.
class VmTest : public testing::Test {
protected:
    void Use(const RealVm& vm) {
        if (vm.status == RealVm::kAbsent) GTEST_SKIP() << vm.reason;
        ASSERT_EQ(vm.status, RealVm::kReady) << vm.reason;
        launcher_ = vm.launcher;
        launcher_->failureCheck = false;
    }
    Launcher* launcher_ = nullptr;
};

class BoundVmTest : public VmTest {
protected:
    void SetUp() override { Use(BoundVm()); }
};

class StartedVmTest : public VmTest {
protected:
    void SetUp() override { Use(StartedVm()); }
};

using BoundVmDeathTest = BoundVmTest;
using StartedVmDeathTest = StartedVmTest;
}  // namespace

TEST_F(BoundVmTest, DefaultThreadStackSizeComesFromTheVm) {
    const size_t size = launcher_->DefaultThreadStackSize();
    EXPECT_GT(size, 0u);
    EXPECT_EQ(size % 1024, 0u) << size;  // the VM keeps it in KiB
}

TEST_F(StartedVmTest, MainReceivesItsArgumentsExactlyOnEitherRoute) {
    // Empty argument, Latin-1, Cyrillic, a surrogate pair, a lone surrogate, a blank.
    const std::initializer_list<const char16_t*> varied = {
        u"", u"Gr\u00fc\u00dfe", u"\u0416", u"\U0001F600", u"x\xDC00", u"a b"};
    const char* variedOut =
        "argc=6\n[]\n[0047 0072 00fc 00df 0065]\n[0416]\n[d83d de00]\n[0078 dc00]\n"
        "[0061 0020 0062]\n";
    struct Case {
        Route route;
        std::initializer_list<const char16_t*> arguments;
        const char* out;
    } cases[] = {
        {Route::kLauncherHelper, {}, "argc=0\n"},
        {Route::kFindClass, {}, "argc=0\n"},
        {Route::kLauncherHelper, varied, variedOut},
        {Route::kFindClass, varied, variedOut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(RouteName(c.route));
        Prepare(*launcher_, c.route, u"jnitest/PrintArgs", c.arguments);
        const MainRun run = InvokeMain(*launcher_);
        EXPECT_TRUE(run.returned);
        EXPECT_TRUE(run.detached);
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, "");
    }
}

// The main methods that JDK 25 added, through the launcher helper as the java command runs them;
// the class route keeps asking for a static main(String[]). Runs only on VMs of JDK 25 and later.
TEST_F(StartedVmTest, Jdk25MainsOfEveryKindRunOnTheHelperRoute) {
    struct Case {
        Route route;
        const char16_t* mainClass;
        bool returned;
        const char* out;
        const char* err;  // a part of standard error, or "" for none at all
    } cases[] = {
        {Route::kLauncherHelper, u"jnitest/InstanceMain", true, "instance argc=2\n[a b]\n[c]\n",
         ""},
        {Route::kLauncherHelper, u"jnitest/InstanceNoArgMain", true, "instance main()\n", ""},
        {Route::kLauncherHelper, u"jnitest/StaticNoArgMain", true, "static main()\n", ""},
        {Route::kLauncherHelper, u"jnitest/ConstructorThrows", true, "",
         "java.lang.IllegalStateException: constructor refused"},
        {Route::kFindClass, u"jnitest/InstanceMain", false,
         "Error: No main method found in specified class.\r\n \r\n", "NoSuchMethodError"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(EncodeUtf8(c.mainClass));
        SCOPED_TRACE(RouteName(c.route));
        Prepare(*launcher_, c.route, c.mainClass, {u"a b", u"c"});
        const MainRun run = InvokeMain(*launcher_);
        EXPECT_EQ(run.returned, c.returned);
        EXPECT_EQ(run.detached, c.returned);  // a failed run leaves detaching to its caller
        EXPECT_EQ(run.out, c.out);
        if (*c.err) {
            EXPECT_TRUE(Contains(run.err, c.err)) << run.err;
        } else {
            EXPECT_EQ(run.err, "");
        }
    }
}

TEST_F(StartedVmTest, MainThatThrowsStillEndsTheRunAndKeepsItsException) {
    for (bool failureCheck : {false, true}) {
        SCOPED_TRACE(failureCheck ? "with failure check" : "without failure check");
        Prepare(*launcher_, Route::kLauncherHelper, u"jnitest/Throws");
        launcher_->failureCheck = failureCheck;
        const MainRun run = InvokeMain(*launcher_);
        EXPECT_TRUE(run.returned);
        EXPECT_TRUE(run.detached);
        // Still pending at detach, so the VM reports it as uncaught.
        EXPECT_TRUE(Contains(run.err, "Exception in thread"));
        EXPECT_TRUE(Contains(run.err, "java.lang.IllegalStateException: bad state")) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(StartedVmTest, ExceptionTextCarriesTypeMessageAndFrames) {
    JNIEnv* env = launcher_->jniEnv;
    LocalRef type(env, env->FindClass("jnitest/Throws"));
    ASSERT_TRUE(type);
    const jclass throwsClass = static_cast<jclass>(type.get());
    jmethodID main = env->GetStaticMethodID(throwsClass, "main", "([Ljava/lang/String;)V");
    ASSERT_NE(main, nullptr);
    LocalRef noArguments(env, NewStringArray(env, StringList()));
    ASSERT_TRUE(noArguments);
    env->CallStaticVoidMethod(throwsClass, main, noArguments.get());
    LocalRef thrown(env, env->ExceptionOccurred());
    ASSERT_TRUE(thrown);
    env->ExceptionClear();

    const WideString text = launcher_->ExceptionText(env, static_cast<jthrowable>(thrown.get()));
    EXPECT_FALSE(env->ExceptionCheck());
    for (const char16_t* part :
         {u"java.lang.IllegalStateException: bad state: Gr\u00fc\u00dfe \U0001F600",
          u"\tat jnitest.Throws.main(Throws.java:"})
        EXPECT_GE(text.FindText(part), 0) << EncodeUtf8(text);
}

TEST_F(StartedVmTest, FindClassRouteReportsWhatIsMissing) {
    struct Case {
        const char16_t* mainClass;
        const char* out;
        const char* err;  // what the VM describes on standard error
    } cases[] = {
        {u"jnitest/Missing", "Error: Could not find the main class jnitest/Missing.\r\n \r\n",
         "java.lang.NoClassDefFoundError: jnitest/Missing"},
        {u"jnitest/NoMain", "Error: No main method found in specified class.\r\n \r\n",
         "java.lang.NoSuchMethodError"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(EncodeUtf8(c.mainClass));
        Prepare(*launcher_, Route::kFindClass, c.mainClass);
        const MainRun run = InvokeMain(*launcher_);
        EXPECT_FALSE(run.returned);
        EXPECT_EQ(run.out, c.out);
        EXPECT_TRUE(Contains(run.err, c.err)) << run.err;
    }
}

// The VM ends these processes itself, through the hooks the launcher handed it.
TEST_F(StartedVmDeathTest, SystemExitReachesTheExitHook) {
    Prepare(*launcher_, Route::kLauncherHelper, u"jnitest/Exits");
    EXPECT_EXIT(OnAttachedThread(*launcher_, [&] { launcher_->InvokeMain(); }),
                testing::ExitedWithCode(3), "exit hook: 3");
}

TEST_F(StartedVmDeathTest, LauncherHelperReportsAMissingClassItselfAndExits) {
    Prepare(*launcher_, Route::kLauncherHelper, u"jnitest/Missing");
    EXPECT_EXIT(OnAttachedThread(*launcher_, [&] { launcher_->InvokeMain(); }),
                testing::ExitedWithCode(1),
                "Could not find or load main class jnitest\\.Missing.*exit hook: 1");
}

TEST_F(StartedVmDeathTest, JniFatalErrorReachesTheAbortHook) {
    const auto breakJniRule = [&] {
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        dup2(2, 1);  // the VM's report stays in the child's captured error output
        launcher_->jniEnv->GetStaticMethodID(nullptr, "main", "([Ljava/lang/String;)V");
    };
    EXPECT_EXIT(breakJniRule(), testing::KilledBySignal(SIGABRT), "abort hook");
}

TEST_F(BoundVmDeathTest, FailedCreationIsReportedOnStandardOutput) {
    const auto createWithUnknownOption = [&] {
        dup2(2, 1);
        launcher_->vmOptions.Append("-XX:+QuorvaneNoSuchOption");
        std::_Exit(launcher_->CreateJavaVm() ? 0 : 7);
    };
    EXPECT_EXIT(createWithUnknownOption(), testing::ExitedWithCode(7),
                "Error: JNI exception: failed to create the Java VM\r\n"
                "Reason: invalid arguments\\.\r\n \r\n");
}

// The whole run-thread procedure on its own thread, as the launcher runs it: a run that fails
// after the VM exists must still leave a VM that teardown can destroy (DestroyJavaVM waits for
// every attached thread, so a thread that ended attached would make it wait forever).
TEST_F(BoundVmDeathTest, FailedRunLeavesTheVmDestroyable) {
    const auto failedRunThenTeardown = [&] {
        Prepare(*launcher_, Route::kFindClass, u"jnitest/Missing");
        uint32_t result = 0;
        std::thread run([&] { result = launcher_->RunThreadProcedure(); });
        run.join();
        const jint destroyed = launcher_->javaVm->DestroyJavaVM();
        std::fprintf(stderr, "run %u, destroy %d\n", result, static_cast<int>(destroyed));
        std::_Exit(0);
    };
    EXPECT_EXIT(failedRunThenTeardown(), testing::ExitedWithCode(0), "run 1, destroy 0");
}
