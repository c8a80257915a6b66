"""Single instance: a later launch of the same executable forwards its arguments to the running
one's secondaryMain and ends with its reply."""

import subprocess
import time
from concurrent.futures import ThreadPoolExecutor

import pytest

from conftest import MINUS_ONE, App, end_processes_in, windows_path


@pytest.fixture
def app(tmp_path, executable):
    app = App(tmp_path / "single", executable)
    app.configure("test.Single", "client", Single_Instance="yes")
    yield app
    end_processes_in(tmp_path)


def first_instance(app: App, create_delay_ms: int = 0, **properties) -> subprocess.Popen:
    """The first launch, waited for until main runs; with a delay, until it creates its VM."""
    options = " ".join(f"-Dtest.{k.replace('_', '.')}={v}" for k, v in properties.items())
    first = app.start("first", env={"QZ_TEST_CREATE_DELAY_MS": str(create_delay_ms),
                                    "QZ_TEST_JAVA_OPTIONS": options})
    app.wait_for_record("library:" if create_delay_ms else "main-args")
    return first


# Each case: the later launch's arguments, its exit code and what secondaryMain gets (None:
# nothing). The later launch names the executable in capitals. How the shared block holds
# arguments (empty ones, its 1040 bytes) is a case of the unit tier.
@pytest.mark.parametrize("arguments,exit_code,delivered", [
    (["a", "two words", "Grüße"], 0, "[a] [two words] [Gr\\u00FC\\u00DFe]"),
    (["x" * 519], MINUS_ONE, None),
], ids=["several", "too long for the block"])
def test_arguments_reach_secondary_main(app, arguments, exit_code, delivered):
    first_instance(app)
    result = app.run(*arguments, env={"QZ_TEST_JAVA_OPTIONS": "-Dtest.wait.ms=0"},
                     program=[windows_path(app.exe).upper()])
    assert (result.returncode, result.stdout) == (exit_code, b"")
    if delivered:
        app.wait_for_record("secondary-done")
    assert app.recorded("secondary-args") == ([delivered] if delivered else [])
    # The forwarding launch created no VM of its own.
    assert sum(line.startswith("create:") for line in app.record()) == 1


# Each case: the main class, its properties, and the exit code of the forwarding launch.
@pytest.mark.parametrize("main_class,properties,exit_code", [
    ("test.Single", {"secondary_ms": 3000}, 0),
    ("test.SingleInt", {"secondary_ms": 500, "secondary_result": 7}, 7),
    ("test.SingleInt", {"wait_ms": 2000, "exit_code": 3, "secondary_ms": 60000}, 3),
], ids=["void: at once", "int: its result", "int: the first instance's exit code once it ends"])
def test_the_reply_to_a_forwarding_launch(app, main_class, properties, exit_code):
    app.configure(main_class, "client", Single_Instance="yes")
    first = first_instance(app, **properties)
    began = time.monotonic()
    assert app.run("v").returncode == exit_code
    assert time.monotonic() - began < 2.5 or main_class != "test.Single"
    assert ("secondary-done" in app.record()) == (exit_code == 7)
    assert exit_code != 3 or first.wait(timeout=30) == 3


def test_two_launches_at_once_one_serves_the_other(app):
    launches = {"one": app.start("one"), "two": app.start("two")}
    app.wait_for_record("secondary-done")
    [delivered] = app.recorded("secondary-args")
    assert launches[delivered[1:-1]].wait(timeout=30) == 0
    assert app.recorded("main-args") == ["1"]


def test_concurrent_launches_each_deliver_their_own_arguments(app):
    first_instance(app)
    with ThreadPoolExecutor(max_workers=20) as pool:
        results = list(pool.map(lambda i: app.run(f"n{i}", timeout=120), range(20)))
    assert [r.returncode for r in results] == [0] * 20
    app.wait_for_record("secondary-done", count=20)
    assert sorted(app.recorded("secondary-args")) == sorted(f"[n{i}]" for i in range(20))


def test_a_first_instance_that_cannot_be_reached_ends_the_launch_with_minus_one(app):
    # A first instance that this launch may not open: the arguments cannot be delivered.
    name = windows_path(app.exe).replace("\\", "_")
    result = app.run_command_line('"{exe}" x', env={"QZ_SPAWN_LOCKED_INSTANCE": name})
    assert result.returncode == MINUS_ONE
    assert app.record() == []


def test_a_launch_killed_while_it_waits_takes_no_later_arguments_and_the_next_is_served(app):
    first_instance(app, create_delay_ms=6000)  # past its start-up, still creating its VM
    doomed = app.start("b")
    time.sleep(2.5)  # it has posted its request and waits for its arguments to be taken
    doomed.kill()
    doomed.wait()
    assert app.run("c", timeout=60).returncode == 0  # it waits for main, then is served
    app.wait_for_record("secondary-done")
    time.sleep(1)
    assert app.recorded("secondary-args").count("[c]") == 1


def test_teardown_lets_a_running_secondary_main_finish_before_the_vm_goes(app):
    first = first_instance(app, wait_ms=6000, secondary_ms=3000)
    assert app.run("t").returncode == 0
    assert first.wait(timeout=30) == 0
    record = app.record()
    destroyed = next(i for i, line in enumerate(record) if line.startswith("destroy:"))
    assert "secondary-done" in record[:destroyed], record
