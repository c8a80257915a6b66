"""The executable as a Windows service: main's arguments, stop() on a stop control, the states the
service control manager sees, and a console start of a service-mode executable."""

import os
import re
import subprocess
import time

import pytest

from conftest import (App, MAIN_CLASS_MISSING, MINUS_ONE, NOT_FOUND, RUNNER, end_processes_in,
                      TOOLS, run_windows, windows_path)

SERVICE_CONTROL = TOOLS / "service_control.exe"
STOPPED, STOP_PENDING, RUNNING = 1, 3, 4


def control(*args: str, check: bool = True) -> str:
    result = run_windows(str(SERVICE_CONTROL), *args, timeout=60)
    if check:
        assert result.returncode == 0, (args, result.returncode, result.stderr)
    return result.stdout.decode()


def state(name: str, fields: str = r"state=(\d+) checkpoint=(\d+) waithint=(\d+)") -> tuple[int, ...]:
    """Figures the service control manager reports: (state, check point, wait hint) unless asked."""
    return tuple(int(group) for group in re.search(fields, control("query", name)).groups())


def wait_for_state(name: str, wanted: int, timeout: float = 30) -> None:
    deadline = time.monotonic() + timeout
    while state(name)[0] != wanted:
        assert time.monotonic() < deadline, f"{name} never reached state {wanted}: {state(name)}"
        time.sleep(0.1)


@pytest.fixture
def service(tmp_path, executable):
    """An App whose name is that of its service."""
    # The wineserver ends a service once no ordinary process is left: this one stays meanwhile.
    keeper = subprocess.Popen([*RUNNER, "cmd.exe"], stdin=subprocess.PIPE,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    service = App(tmp_path / "service", executable)
    service.name = f"QzTest{os.getpid()}{executable.split('.')[0]}{tmp_path.name[-2:].strip('_')}"
    yield service
    control("control", service.name, "1", check=False)
    control("delete", service.name, check=False)
    end_processes_in(tmp_path)
    keeper.kill()
    keeper.wait()


def install(service: App, main_class: str = "test.Single", omit: str = "", runtime: str = "client",
            **properties):
    properties = dict(record=windows_path(service.record_file), **properties)
    parameters = " ".join(f"-Dtest.{k.replace('_', '.')}={v}" for k, v in properties.items())
    service.configure(main_class, runtime, Virtual_Machine_Parameters=parameters,
                      Application_Type="service", Cmd="c", Omit_Service_Name=omit)
    control("create", service.name, f"{windows_path(service.exe)} img1")


# The windowless executables serve the same controls as the console ones.
# main gets the image path, the service name unless "Omit Service Name" is set, the start's
# arguments and then those of "Cmd".
@pytest.mark.parametrize("executable,omit", [
    ("quorvane64.exe", ""), ("quorvane.exe", ""), ("quorvane64w.exe", "no"), ("quorvanew.exe", ""),
], ids=["with service name", "32-bit", "windowless, name omitted", "windowless 32-bit"])
def test_main_arguments_interrogation_and_a_stop_control(service, omit):
    install(service, omit=omit)
    control("start", service.name, "a", "b")
    service.wait_for_record("main-args")
    # An interrogation is answered with the state unchanged.
    assert f"state={RUNNING} checkpoint=0 waithint=0" in control("control", service.name, "4")
    assert service.recorded("arg") == ["img1", *([] if omit else [service.name]), "a", "b", "c"]
    assert f"state={STOP_PENDING} checkpoint=0 waithint=3000" in control("control", service.name, "1")
    service.wait_for_record("main-return")
    assert "stop-called" in service.record()
    wait_for_state(service.name, STOPPED)


def test_a_slow_stop_of_threads_that_outlive_main(service):
    """main returns at once and a thread of the program keeps the VM alive until stop(), which
    takes 5 s: the service runs on, the check point advances, and it has stopped only once the
    program's threads have ended."""
    install(service, wait_ms=0, linger_ms=60000, stop_ms=5000)
    control("start", service.name)
    service.wait_for_record("main-return")
    time.sleep(1)
    assert state(service.name)[0] == RUNNING
    control("control", service.name, "1")
    seen = []
    deadline = time.monotonic() + 4
    while time.monotonic() < deadline:
        seen.append(state(service.name))
        time.sleep(0.2)
    assert all(entry[0] == STOP_PENDING and entry[2] == 3000 for entry in seen), seen
    assert max(entry[1] for entry in seen) >= 2, seen
    wait_for_state(service.name, STOPPED)
    assert "program-threads-ended" in service.record()


@pytest.mark.parametrize("main_class,properties,exit_codes", [
    ("test.Exit", {"exit_code": 0}, (0, 0)),
    # A failure is the service's own error (ERROR_SERVICE_SPECIFIC_ERROR) with the exit code, so
    # that the service manager's recovery actions see it.
    ("test.Exit", {"exit_code": 2}, (1066, 2)),
    ("test.Single", {"runtime": "nocreate"}, (1066, 0xFFFFFFFF)),
    # A stop while the VM is created ends the start: main is never called.
    ("test.Single", {"create_delay_ms": 8000}, (0, 0)),
], ids=["System.exit(0)", "System.exit(2)", "VM library without entry points",
        "stop while the VM is created"])
def test_the_end_of_the_program_is_reported_with_its_exit_code(service, main_class, properties,
                                                                 exit_codes):
    install(service, main_class, **properties)
    control("start", service.name)
    if "create_delay_ms" in properties:  # main is then never called
        control("control", service.name, "1")
    wait_for_state(service.name, STOPPED)
    assert state(service.name, r"exit=(\d+) specific=(\d+)") == exit_codes
    assert "create_delay_ms" not in properties or "main-args" not in "".join(service.record())


def test_a_service_started_from_a_console(app):
    # ERROR_FAILED_SERVICE_CONTROLLER_CONNECT, and not a word of the launcher's own. That only
    # exactly "service" is a service is a case of the win tier.
    app.configure(runtime="client", Application_Type="service", Single_Instance="yes")
    result = app.run_command_line('"{exe}" x', env={"QZ_SPAWN_PRINT_EXIT_CODE": "1"})
    assert result.stdout == b"exit code: 1063\n"
    assert app.record() == []


def event_log_errors(app: App, result: subprocess.CompletedProcess) -> list[tuple[str, str]]:
    """(source, text) of each error event the run reported. On Windows from the Application log;
    here from the calls Wine traces (QZ_WINEDEBUG below), which it logs nowhere."""
    if os.name == "nt":
        query = f"*[System[Provider[@Name='{app.exe.stem}'] and Level=2 and EventID=1]]"
        listing = subprocess.run(["wevtutil", "qe", "Application", f"/q:{query}", "/f:text"],
                                 stdout=subprocess.PIPE, text=True).stdout
        return [(app.exe.stem, text.strip()) for text in re.findall(r"Description:\n(.*)", listing)]
    trace = result.stderr.decode()
    [source] = re.findall(r'RegisterEventSourceW \(\(null\),L"(.*)"\)', trace)
    assert re.findall(r"ReportEventW \(\w+,(0x\w+),0x0000,(0x\w+),", trace) == [("0x0001", "0x00000001")]
    return [(source, text) for text in re.findall(r'err:eventlog:ReportEventW L"(.*)"', trace)]


# A service has no console: each error line of a service-mode run also goes to the event log, as
# an error (event 1, whose message is the line) from the source named after the executable.
@pytest.mark.parametrize("main_class, error", [
    (None, MAIN_CLASS_MISSING),
    ("test.Echo", NOT_FOUND.replace(b"latest version", b"minimum version 99.0"))],
    ids=["main class missing", "no runtime"])
def test_service_errors_reach_the_event_log(app, main_class, error):
    app.configure(main_class, None, Minimum_Version="99", Application_Type="service")
    result = app.run(env={"QZ_WINEDEBUG": "-all,+eventlog,fixme+advapi"})
    assert (result.returncode, result.stdout) == (MINUS_ONE, error)
    assert event_log_errors(app, result) == [(app.exe.stem, error.decode().rstrip(" \r\n"))]
