#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "common/string_lists.h"
#include "common/wide_printer.h"
#include "modes/instance_block.h"
#include "modes/service_status.h"

namespace {
// The state, check point and wait hint, in the system's numbers.
std::tuple<uint32_t, uint32_t, uint32_t> Of(const ServiceStatus& status) {
    return {status.currentState, status.checkPoint, status.waitHint};
}
}  // namespace

// The codes a stopped service reports for each end of its program are read end to end.
TEST(ServiceStatus, StartStopAndExit) {
    ServiceStatus status = RunningStatus();
    EXPECT_EQ(status.serviceType, 0x10u);
    EXPECT_EQ(status.controlsAccepted, 5u);
    EXPECT_EQ(Of(status), std::make_tuple(4u, 0u, 0u));  // SERVICE_RUNNING
    // Interrogation and other controls re-report; stop and shutdown stop.
    EXPECT_FALSE(IsStopControl(4));
    EXPECT_TRUE(IsStopControl(1));
    EXPECT_TRUE(IsStopControl(5));
    EXPECT_FALSE(AdvanceStopPending(status));  // not stopping: nothing to renew

    EnterStopPending(status);
    EXPECT_EQ(Of(status), std::make_tuple(3u, 0u, 3000u));  // SERVICE_STOP_PENDING
    EXPECT_TRUE(AdvanceStopPending(status));
    EXPECT_EQ(Of(status), std::make_tuple(3u, 1u, 3000u));
    EnterStopped(status, 0);
    EXPECT_FALSE(AdvanceStopPending(status));  // a late renewal never reopens a stopped service
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
