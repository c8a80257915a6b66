#include "modes/service_status.h"

ServiceStatus RunningStatus() {
    ServiceStatus status;
    status.serviceType = 0x10;  // SERVICE_WIN32_OWN_PROCESS
    status.currentState = kServiceRunning;
    status.controlsAccepted = 1 | 4;  // SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN
    return status;
}

void EnterStopPending(ServiceStatus& status) {
    status.win32ExitCode = 0;
    status.checkPoint = 0;
    status.currentState = kServiceStopPending;
    status.waitHint = kStopWaitHintMs;
}

bool AdvanceStopPending(ServiceStatus& status) {
    if (status.currentState != kServiceStopPending) return false;
    ++status.checkPoint;
    return true;
}

void EnterStopped(ServiceStatus& status, int32_t exitCode) {
    status.currentState = kServiceStopped;
    if (exitCode == 0) return;
    status.win32ExitCode = kServiceSpecificError;
    status.serviceSpecificExitCode = static_cast<uint32_t>(exitCode);
}

bool IsStopControl(uint32_t control) {
    return control == kControlStop || control == kControlShutdown;
}

