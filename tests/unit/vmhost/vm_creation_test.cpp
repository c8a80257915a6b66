#include <gtest/gtest.h>

#include <cstdlib>

#include <string>

#include "common/wide_printer.h"
#include "launch/launcher.h"
#include "vmhost/vm_hooks.h"

namespace {
// The VM library's JNI_CreateJavaVM and JNI_GetDefaultJavaVMInitArgs, answering `result`.
jint result = 0;
jint JNICALL FailingCreateJavaVm(JavaVM**, void**, void*) { return result; }
jint JNICALL FakeDefaultArgs(void* block) {
    static_cast<JDK1_1InitArgs*>(block)->javaStackSize = result;
    return JNI_OK;
}
}  // namespace

// The options and hooks a real VM gets are checked in the VM tier and end to end; here both ends
// of the table of reasons and the result codes outside it, and the same codes as the default
// thread stack size, where none but a positive one is a size.
TEST(CreateJavaVm, FailureReasonAndDefaultStackSizeOfEachResultCode) {
    struct Case {
        jint result;
        const char* reason;
        size_t stack;
    } cases[] = {{-1, "unknown", 0}, {-6, "invalid arguments", 0}, {-7, "", 0}, {1, "", 1}};
    for (const Case& c : cases) {
        Launcher launcher;
        launcher.createJavaVm = FailingCreateJavaVm;
        launcher.getDefaultJavaVmInitArgs = FakeDefaultArgs;
        result = c.result;
        EXPECT_EQ(launcher.DefaultThreadStackSize(), c.stack);
        testing::internal::CaptureStdout();
        EXPECT_FALSE(launcher.CreateJavaVm());
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  std::string("Error: JNI exception: failed to create the Java VM\r\nReason: ") +
                      c.reason + ".\r\n \r\n");
        EXPECT_EQ(launcher.javaVm, nullptr);
    }
}

// The VM calls its hooks on its own threads and then ends the process itself: without a listener
// (any run but a service's) they must come back having done nothing, neither ending the process
// nor aborting it. The exit hook's return shows in every System.exit end to end; the abort
// hook's only here.
TEST(VmHooksDeathTest, WithoutAListenerTheAbortHookReturns) {
    EXPECT_EXIT(
        {
            Launcher launcher;
            VmAbortHook();
            std::_Exit(42);
        },
        testing::ExitedWithCode(42), "");
}
