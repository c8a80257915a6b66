#pragma once

#include <windows.h>

#include <cstdint>

#include "launch/exit_listener.h"
#include "modes/service_status.h"
#include "support/wide_string.h"

class Launcher;
class ServiceHost;

// The service this executable is: named after the executable's file name.
class ServiceDefinition {
public:
    // false (after message 202 with 208) when the executable's path cannot be read.
    bool Form(Launcher& launcher);

    WideString executablePath;
    WideString serviceName;  // the path after its last "\"
    WideString displayName;  // "<service name> Java Service"
    Launcher* launcher = nullptr;
};

// Runs the application inside the service, and turns a stop control and the program's own exit
// into the service's states.
class ServiceRunner final : public ExitListener {
public:
    // 0; -1 would stop the service before it runs.
    int32_t OnInit() { return 0; }
    // main's arguments: the command line's, the service name (unless "Omit Service Name"), the
    // start parameters; then the ordinary run step.
    int32_t Run(uint32_t argumentCount, wchar_t** argumentVector);
    // Calls the main class's static stop() on a thread of its own and returns at once.
    void Stop();
    // The program's System.exit reports the service stopped, with its code, before the process
    // ends.
    void OnExit(int code) override;
    void OnAbort() override {}

    ServiceHost* host = nullptr;
    Launcher* launcher = nullptr;
};

// The one service of this process and its state as the service control manager sees it.
class ServiceHost {
public:
    ServiceHost(ServiceDefinition& definition, ServiceRunner& runner);
    ServiceHost(const ServiceHost&) = delete;
    ServiceHost& operator=(const ServiceHost&) = delete;

    // Hands the calling thread to the service dispatcher until the service has stopped: 0, or
    // the system's error code when the dispatcher cannot start (1063 outside the service
    // control manager).
    uint32_t Dispatch();
    void ServiceMain(uint32_t argumentCount, wchar_t** argumentVector);
    void HandleControl(uint32_t control);
    // Stopped; a non-zero exit code is reported as the service's own error code, so that the
    // service manager's recovery actions see a failure.
    bool ReportStopped(int32_t exitCode = 0);
    // Changes the status and reports it as one step: the dispatcher, the service thread, the
    // stop thread and the VM's exit hook all report. false when the change was refused or the
    // report failed.
    template <typename Change>
    bool Report(Change change) {
        AcquireSRWLockExclusive(&lock);
        const bool reported = change(status) && ReportLocked();
        ReleaseSRWLockExclusive(&lock);
        return reported;
    }

    ServiceDefinition& definition;
    ServiceRunner& runner;

private:
    bool ReportLocked();

    ServiceStatus status;
    SERVICE_STATUS_HANDLE statusHandle = nullptr;
    SRWLOCK lock = SRWLOCK_INIT;
};
