// The service control manager for the end-to-end tests, through the documented API (Wine's sc.exe
// lacks query): service_control.exe create NAME BINARY_PATH | start NAME [ARG...] | query NAME |
// control NAME CODE | delete NAME. Query and control print
// "state=S checkpoint=C waithint=W exit=E specific=X".
#include "tool.h"

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc >= 3 ? argv[1] : L"";
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager || command.empty()) return Fail("usage: service_control COMMAND NAME ...; OpenSCManager");
    if (command == L"create")
        return argc == 4 && CreateServiceW(manager, argv[2], argv[2], SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                           SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, argv[3], nullptr, nullptr,
                                           nullptr, nullptr, nullptr) ? 0 : Fail("CreateService");
    SC_HANDLE service = OpenServiceW(manager, argv[2], SERVICE_ALL_ACCESS);
    if (!service) return Fail("OpenService");
    if (command == L"start")
        return StartServiceW(service, argc - 3, const_cast<const wchar_t**>(argv + 3)) ? 0 : Fail("StartService");
    if (command == L"delete") return DeleteService(service) ? 0 : Fail("DeleteService");
    SERVICE_STATUS status{};
    if (command == L"query" ? !QueryServiceStatus(service, &status)
                            : argc != 4 || !ControlService(service, wcstoul(argv[3], nullptr, 10), &status))
        return Fail("QueryServiceStatus or ControlService");
    std::printf("state=%lu checkpoint=%lu waithint=%lu exit=%lu specific=%lu\n", status.dwCurrentState,
                status.dwCheckPoint, status.dwWaitHint, status.dwWin32ExitCode, status.dwServiceSpecificExitCode);
    return 0;
}
