#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/string_lists.h"
#include "common/wide_printer.h"
#include "modes/instance_block.h"
#include "modes/service_status.h"

// The states, check points, wait hints and exit codes a service reports are read end to end.
TEST(ServiceStatus, ControlsAndALateRenewal) {
    ServiceStatus status = RunningStatus();
    EXPECT_EQ(status.serviceType, 0x10u);      // a process of its own
    EXPECT_EQ(status.controlsAccepted, 5u);    // stop and shutdown
    EXPECT_TRUE(IsStopControl(5));             // shutdown stops as stop does
    EXPECT_FALSE(AdvanceStopPending(status));  // not stopping: nothing to renew
    EnterStopPending(status);
    EnterStopped(status, 0);
    EXPECT_FALSE(AdvanceStopPending(status));  // a late renewal never reopens a stopped service
    EXPECT_EQ(status.currentState, 1u);        // SERVICE_STOPPED
}

// The argument area's limit, round trips and reads of foreign blocks are checked by the fuzz target.
TEST(InstanceBlock, NameAndAnEmptyArgumentEndingTheList) {
    EXPECT_EQ(InstanceName(u"C:\\Apps\\Tool\\tool.exe"), WideString(u"C:_Apps_Tool_tool.exe"));
    StringList arguments, read;
    for (const char16_t* argument : {u"first", u"", u"third"}) arguments.Append(argument);
    InstanceBlock block{};
    ASSERT_TRUE(WriteArguments(arguments, block));
    ReadArguments(block, read);
    EXPECT_EQ(Items(read), std::vector<std::u16string>{u"first"});
}
