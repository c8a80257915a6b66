#include <gtest/gtest.h>

#include <cstdlib>

#include <string>
#include <vector>

#include "common/wide_printer.h"
#include "launch/launcher.h"
#include "vmhost/vm_hooks.h"

namespace {
// What the VM library's JNI_CreateJavaVM received, and what it answers.
struct CreateCall {
    jint version = 0;
    jboolean ignoreUnrecognized = JNI_TRUE;
    std::vector<std::string> options;
};
CreateCall lastCall;
jint createResult = 0;
JavaVM* const kFakeVm = reinterpret_cast<JavaVM*>(0x1000);

jint JNICALL FakeCreateJavaVm(JavaVM** vm, void** env, void* argsBlock) {
    auto* args = static_cast<JavaVMInitArgs*>(argsBlock);
    lastCall = CreateCall{};
    lastCall.version = args->version;
    lastCall.ignoreUnrecognized = args->ignoreUnrecognized;
    for (jint i = 0; i < args->nOptions; ++i) {
        lastCall.options.push_back(args->options[i].optionString);
    }
    if (createResult == JNI_OK) {
        *vm = kFakeVm;
        *env = reinterpret_cast<void*>(0x2000);
    }
    return createResult;
}

jint JNICALL FakeDefaultArgs(void* block) {
    auto* args = static_cast<JDK1_1InitArgs*>(block);
    args->javaStackSize = createResult;  // reused as the stack size to report
    return JNI_OK;
}
}  // namespace

// The hooks behind "abort" and "exit" are reached from a real VM in the VM tier.
TEST(CreateJavaVm, OptionsInOrderThenTheTwoHooks) {
    Launcher launcher;
    launcher.createJavaVm = FakeCreateJavaVm;
    createResult = JNI_OK;
    for (const char* option : {"-Djava.library.path=C:\\lib", "-Djava.class.path=a.jar", "-Xmx64m"})
        ASSERT_TRUE(launcher.vmOptions.Append(option));
    ASSERT_TRUE(launcher.CreateJavaVm());
    EXPECT_EQ(lastCall.options, (std::vector<std::string>{"-Djava.library.path=C:\\lib",
                                                          "-Djava.class.path=a.jar", "-Xmx64m",
                                                          "abort", "exit"}));
    EXPECT_EQ(lastCall.version, JNI_VERSION_1_2);
    EXPECT_EQ(lastCall.ignoreUnrecognized, JNI_FALSE);
    EXPECT_EQ(launcher.javaVm, kFakeVm);
    launcher.javaVm = nullptr;  // nothing to destroy
}

TEST(CreateJavaVm, FailureReportsTheReasonOfTheResultCode) {
    struct Case {
        jint result;
        const char* reason;
    } cases[] = {{-1, "unknown"}, {-7, ""}, {1, ""}};
    for (const Case& c : cases) {
        Launcher launcher;
        launcher.createJavaVm = FakeCreateJavaVm;
        createResult = c.result;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(launcher.CreateJavaVm());
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  std::string("Error: JNI exception: failed to create the Java VM\r\nReason: ") +
                      c.reason + ".\r\n \r\n");
        EXPECT_EQ(launcher.javaVm, nullptr);
        EXPECT_EQ(lastCall.options, (std::vector<std::string>{"abort", "exit"}));
    }
}

TEST(DefaultThreadStackSize, NegativeSizeMeansNone) {
    Launcher launcher;
    launcher.getDefaultJavaVmInitArgs = FakeDefaultArgs;
    createResult = -5;  // reported as the size; the real VM's answer is checked in the VM tier
    EXPECT_EQ(launcher.DefaultThreadStackSize(), 0u);
}

// The VM calls the hooks on its own threads and then ends the process itself: without a listener
// they must come back having done nothing, neither ending the process nor aborting it.
TEST(VmHooksDeathTest, WithoutAListenerTheyReturn) {
    EXPECT_EXIT(
        {
            Launcher launcher;
            VmExitHook(3);
            VmAbortHook();
            std::_Exit(42);
        },
        testing::ExitedWithCode(42), "");
}
