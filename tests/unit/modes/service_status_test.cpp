#include <gtest/gtest.h>

#include "modes/service_status.h"

namespace {
struct Seen {
    uint32_t state, checkPoint, waitHint;
    bool operator==(const Seen& other) const {
        return state == other.state && checkPoint == other.checkPoint && waitHint == other.waitHint;
    }
};
Seen Of(const ServiceStatus& status) {
    return {status.currentState, status.checkPoint, status.waitHint};
}
}  // namespace

TEST(ServiceStatus, StartStopAndExit) {
    ServiceStatus status = RunningStatus();
    EXPECT_EQ(status.serviceType, 0x10u);
    EXPECT_EQ(status.controlsAccepted, 5u);
    EXPECT_TRUE(Of(status) == (Seen{4, 0, 0}));  // SERVICE_RUNNING
    // Interrogation and other controls re-report; stop and shutdown stop.
    EXPECT_FALSE(IsStopControl(4));
    EXPECT_TRUE(IsStopControl(1));
    EXPECT_TRUE(IsStopControl(5));
    EXPECT_FALSE(AdvanceStopPending(status));  // not stopping: nothing to renew

    EnterStopPending(status);
    EXPECT_TRUE(Of(status) == (Seen{3, 0, 3000}));  // SERVICE_STOP_PENDING
    EXPECT_TRUE(AdvanceStopPending(status));
    EXPECT_TRUE(Of(status) == (Seen{3, 1, 3000}));
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
