#include <gtest/gtest.h>

#include <cstring>
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

TEST(ServiceStatus, AFailedRunStopsWithTheServicesOwnErrorCode) {
    // The launcher's exit code as the service-specific code, behind ERROR_SERVICE_SPECIFIC_ERROR.
    const struct {
        int32_t exitCode;
        uint32_t win32, specific;
    } cases[] = {{0, 0, 0} /* a clean stop */, {-1, 1066, 0xFFFFFFFFu}, {2, 1066, 2}};
    for (const auto& c : cases) {
        ServiceStatus status = RunningStatus();
        EnterStopped(status, c.exitCode);
        EXPECT_EQ(status.currentState, 1u) << c.exitCode;  // SERVICE_STOPPED
        EXPECT_EQ(status.win32ExitCode, c.win32) << c.exitCode;
        EXPECT_EQ(status.serviceSpecificExitCode, c.specific) << c.exitCode;
    }
}

namespace {
StringList Arguments(std::initializer_list<std::u16string> items) {
    StringList list;
    for (const std::u16string& item : items) list.Append(WideString(item));
    return list;
}

std::vector<std::u16string> RoundTrip(std::initializer_list<std::u16string> items) {
    InstanceBlock block;
    std::memset(&block, 0xAB, sizeof block);
    EXPECT_TRUE(WriteArguments(Arguments(items), block));
    StringList read;
    ReadArguments(block, read);
    return Items(read);
}
}  // namespace

TEST(InstanceBlock, NameOfTheExecutable) {
    EXPECT_EQ(InstanceName(u"C:\\Apps\\Tool\\tool.exe"), WideString(u"C:_Apps_Tool_tool.exe"));
}

TEST(InstanceBlock, ArgumentsThereAndBack) {
    using V = std::vector<std::u16string>;
    EXPECT_EQ(RoundTrip({u"a", u"two words", u"\u0416\U0001F600"}),
              (V{u"a", u"two words", u"\u0416\U0001F600"}));
    EXPECT_EQ(RoundTrip({}), V{u""});                     // no arguments: one empty string
    EXPECT_EQ(RoundTrip({u"first", u"", u"third"}), V{u"first"});  // an empty one ends the list
}

TEST(InstanceBlock, AreaLimitIs1040Bytes) {
    // One argument of n units needs 2n + 2 bytes, and the list 2 more: n = 518 fills 1040.
    InstanceBlock block{};
    EXPECT_TRUE(WriteArguments(Arguments({std::u16string(518, u'x')}), block));
    block.argumentArea[0] = 'k';
    EXPECT_FALSE(WriteArguments(Arguments({std::u16string(519, u'x')}), block));
    EXPECT_EQ(block.argumentArea[0], 'k');  // nothing written
    EXPECT_FALSE(WriteArguments(Arguments({std::u16string(300, u'x'), std::u16string(219, u'y')}), block));
    EXPECT_TRUE(WriteArguments(Arguments({std::u16string(300, u'x'), std::u16string(217, u'y')}), block));
}

TEST(InstanceBlock, ReaderStopsAtTheBlocksEnd) {
    // Another process may leave the area without a double zero: the walk ends inside the block.
    InstanceBlock block;
    std::memset(&block, 0, sizeof block);
    std::memset(block.argumentArea, 'a', sizeof block.argumentArea);
    StringList read;
    ReadArguments(block, read);
    EXPECT_TRUE(read.IsEmpty());
    block.argumentArea[100] = 0;
    block.argumentArea[101] = 0;
    ReadArguments(block, read);
    ASSERT_EQ(read.Count(), 1);
    EXPECT_EQ(read[0].Length(), 50);
}
