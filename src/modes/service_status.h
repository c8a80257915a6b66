#pragma once

#include <cstdint>

// The state a service reports to the service control manager, and how it changes. The fields are
// those of the system's SERVICE_STATUS record, in its order.
struct ServiceStatus {
    uint32_t serviceType = 0;
    uint32_t currentState = 0;
    uint32_t controlsAccepted = 0;
    uint32_t win32ExitCode = 0;
    uint32_t serviceSpecificExitCode = 0;
    uint32_t checkPoint = 0;
    uint32_t waitHint = 0;
};

inline constexpr uint32_t kServiceStopped = 1;
inline constexpr uint32_t kServiceStopPending = 3;
inline constexpr uint32_t kServiceRunning = 4;
inline constexpr uint32_t kControlStop = 1;
inline constexpr uint32_t kControlShutdown = 5;
inline constexpr uint32_t kStopWaitHintMs = 3000;
inline constexpr uint32_t kServiceSpecificError = 1066;  // ERROR_SERVICE_SPECIFIC_ERROR

// Running as an own-process service that accepts stop and shutdown; nothing else set.
ServiceStatus RunningStatus();
// A stop or shutdown control: stop-pending with a 3000 ms wait hint from check point 0.
void EnterStopPending(ServiceStatus& status);
// While the program's stop() still runs: the next check point, so the wait is seen to progress.
// false (nothing changed) once the service is no longer stop-pending.
bool AdvanceStopPending(ServiceStatus& status);
// Stopped with the launcher's exit code: 0 is a clean stop, any other is reported as
// ERROR_SERVICE_SPECIFIC_ERROR with the code as the service's own.
void EnterStopped(ServiceStatus& status, int32_t exitCode);
// Whether a control code asks the service to stop (stop and shutdown); any other is answered with
// the status unchanged.
bool IsStopControl(uint32_t control);
