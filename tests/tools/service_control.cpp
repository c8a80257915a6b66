// The service control manager for the end-to-end tests, through the documented API (Wine's sc.exe
// lacks query): service_control.exe create NAME BINARY_PATH | start NAME [ARG...] | query NAME |
// control NAME CODE | delete NAME. Prints "state=S checkpoint=C waithint=W exit=E specific=X" for query and control;
// returns 0 or the system's error code.
#include "tool.h"

namespace {
int Fail() { return static_cast<int>(GetLastError()); }

void Print(const SERVICE_STATUS& status) {
    std::printf("state=%lu checkpoint=%lu waithint=%lu exit=%lu specific=%lu\n",
                status.dwCurrentState, status.dwCheckPoint, status.dwWaitHint,
                status.dwWin32ExitCode, status.dwServiceSpecificExitCode);
    std::fflush(stdout);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 120;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return Fail();
    const wchar_t* command = argv[1];
    const wchar_t* name = argv[2];
    if (std::wcscmp(command, L"create") == 0 && argc == 4) {
        SC_HANDLE service = CreateServiceW(manager, name, name, SERVICE_ALL_ACCESS,
                                           SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                           SERVICE_ERROR_NORMAL, argv[3], nullptr, nullptr,
                                           nullptr, nullptr, nullptr);
        return service ? 0 : Fail();
    }
    SC_HANDLE service = OpenServiceW(manager, name, SERVICE_ALL_ACCESS);
    if (!service) return Fail();
    SERVICE_STATUS status{};
    if (std::wcscmp(command, L"start") == 0) {
        return StartServiceW(service, static_cast<DWORD>(argc - 3),
                             const_cast<const wchar_t**>(argv + 3))
                   ? 0
                   : Fail();
    }
    if (std::wcscmp(command, L"query") == 0) {
        if (!QueryServiceStatus(service, &status)) return Fail();
        Print(status);
        return 0;
    }
    if (std::wcscmp(command, L"control") == 0 && argc == 4) {
        if (!ControlService(service, static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)),
                            &status))
            return Fail();
        Print(status);
        return 0;
    }
    if (std::wcscmp(command, L"delete") == 0) return DeleteService(service) ? 0 : Fail();
    return 121;
}
