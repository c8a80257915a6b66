#include "modes/service_host_win.h"

#include "launch/launcher.h"
#include "support/handles.h"
#include "support/text.h"
#include "support/trace.h"
#include "support/wide_win.h"
#include "vmhost/java_objects.h"

namespace {
// The system calls the service procedure and the control handler without context.
ServiceHost* host = nullptr;

void WINAPI ServiceMainEntry(DWORD argumentCount, LPWSTR* argumentVector) {
    host->ServiceMain(argumentCount, argumentVector);
}

void WINAPI HandleControlEntry(DWORD control) { host->HandleControl(control); }

// While the program's stop() runs, the stop-pending report is renewed about once a second with
// the next check point, so that a stop() of more than the 3000 ms hint is not taken for a hang.
struct StopHeartbeat {
    ServiceHost* host;
    HANDLE stopReturned;
};

DWORD WINAPI RenewStopPending(void* parameter) {
    const StopHeartbeat& heartbeat = *static_cast<StopHeartbeat*>(parameter);
    while (WaitForSingleObject(heartbeat.stopReturned, 1000) == WAIT_TIMEOUT)
        heartbeat.host->Report(AdvanceStopPending);
    return 0;
}

// Looks up and calls the main class's static stop(); a failure leaves its exception pending.
void CallStop(JNIEnv* env, Launcher& launcher) {
    LocalRef type(env, env->FindClass(ToNarrow(launcher.mainClass).c_str()));
    if (!type) return;
    const auto mainType = static_cast<jclass>(type.get());
    const jmethodID stop = env->GetStaticMethodID(mainType, "stop", "()V");
    if (stop) env->CallStaticVoidMethodA(mainType, stop, nullptr);
}

DWORD WINAPI StopThread(void* parameter) {
    ServiceRunner& runner = *static_cast<ServiceRunner*>(parameter);
    Launcher& launcher = *runner.launcher;
    // A stop that comes while the VM is still being created is kept: main is then never called
    // and the run ends by itself. Once the VM is destroyed there is nothing left to stop.
    const MainProgress progress = launcher.RequestStop();
    if (progress != MainProgress::Running) {
        if (progress == MainProgress::NotStarted)
            Trace(u"service stop: main has not started yet, and will not be called");
        return 1;
    }
    JNIEnv* env = nullptr;
    if (launcher.javaVm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK)
        return 1;
    UniqueHandle stopReturned(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    StopHeartbeat heartbeat{runner.host, stopReturned.get()};
    UniqueHandle renewer(stopReturned ? CreateThread(nullptr, 0, RenewStopPending, &heartbeat, 0,
                                                     nullptr)
                                      : nullptr);
    CallStop(env, launcher);
    if (renewer) {
        SetEvent(stopReturned.get());
        WaitForSingleObject(renewer.get(), INFINITE);
    }
    if (env->ExceptionCheck()) env->ExceptionDescribe();
    if (!launcher.ibmAccepted && !launcher.ibmFavored) launcher.javaVm->DetachCurrentThread();
    return 1;
}
}  // namespace

bool ServiceDefinition::Form(Launcher& owner) {
    if (!owner.GetModulePath(executablePath)) return false;
    serviceName = executablePath.Mid(executablePath.FindLastUnit(u'\\') + 1);
    displayName = Format(u"%s Java Service", {serviceName});
    launcher = &owner;
    return true;
}

int32_t ServiceRunner::Run(uint32_t argumentCount, wchar_t** argumentVector) {
    for (uint32_t i = 0; i < argumentCount; ++i) {
        // The first is the service's name, as the service control manager passes it.
        if (i == 0 && launcher->omitServiceName) continue;
        if (!launcher->arguments.Append(WideString(U(argumentVector[i])))) FatalOutOfMemory();
    }
    return launcher->Run();
}

void ServiceRunner::Stop() {
    UniqueHandle thread(CreateThread(nullptr, 0, StopThread, this, 0, nullptr));
}

void ServiceRunner::OnExit(int code) {
    // The process ends right after this hook: the service manager learns the code now or never.
    host->ReportStopped(code);
}

ServiceHost::ServiceHost(ServiceDefinition& serviceDefinition, ServiceRunner& serviceRunner)
    : definition(serviceDefinition), runner(serviceRunner) {
    host = this;
    runner.host = this;
}

uint32_t ServiceHost::Dispatch() {
    // An own-process service: the system ignores the name, which stays empty.
    wchar_t emptyName[] = L"";
    SERVICE_TABLE_ENTRYW table[] = {{emptyName, ServiceMainEntry}, {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherW(table)) return 0;
    return GetLastError();
}

void ServiceHost::ServiceMain(uint32_t argumentCount, wchar_t** argumentVector) {
    statusHandle = RegisterServiceCtrlHandlerW(L"", HandleControlEntry);
    if (!statusHandle) return;
    if (runner.OnInit() == -1) {
        ReportStopped();
        return;
    }
    if (!Report([](ServiceStatus& current) {
            current = RunningStatus();
            return true;
        }))
        return;
    const int32_t exitCode = runner.Run(argumentCount, argumentVector);
    // main has returned, but the program's own threads may still run: the service has stopped
    // only once the VM has ended, or the service manager would let a second copy start.
    runner.launcher->EndVm();
    ReportStopped(exitCode);
}

void ServiceHost::HandleControl(uint32_t control) {
    if (!IsStopControl(control)) {
        Report([](ServiceStatus&) { return true; });
        return;
    }
    const bool reported = Report([](ServiceStatus& current) {
        EnterStopPending(current);
        return true;
    });
    if (reported) runner.Stop();
}

bool ServiceHost::ReportStopped(int32_t exitCode) {
    return Report([exitCode](ServiceStatus& current) {
        EnterStopped(current, exitCode);
        return true;
    });
}

bool ServiceHost::ReportLocked() {
    SERVICE_STATUS system{status.serviceType,   status.currentState,
                          status.controlsAccepted, status.win32ExitCode,
                          status.serviceSpecificExitCode, status.checkPoint,
                          status.waitHint};
    return SetServiceStatus(statusHandle, &system) != FALSE;
}
