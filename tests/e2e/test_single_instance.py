"""Single instance: a later launch of the same executable forwards its arguments to the running
one's secondaryMain and ends with its reply."""

import subprocess
import time
from concurrent.futures import ThreadPoolExecutor

import pytest

from conftest import MINUS_ONE, RUNNER, App, end_processes_in, windows_path



@pytest.fixture
def app(tmp_path, executable):
    app = App(tmp_path / "single", executable)
    yield app
    end_processes_in(tmp_path)


def configure(app: App, main_class: str = "test.Single", single: str = "yes", extra: str = ""):
    app.write_ini("[Java Runtime Environment]\n"
                  f"Main Class={main_class}\nJRE Path={windows_path(app.runtime('client'))}\n"
                  f"[Application]\nSingle Instance={single}\n{extra}" + app.class_path_section)


def options(**properties) -> dict:
    return {"QZ_TEST_JAVA_OPTIONS": " ".join(f"-Dtest.{k.replace('_', '.')}={v}"
                                             for k, v in properties.items())}


def first_instance(app: App, wait_for_main: bool = True, env: dict | None = None,
                   **properties) -> subprocess.Popen:
    merged = dict(options(**properties), **(env or {}))
    first = app.start("first", env=merged)
    if wait_for_main:
        app.wait_for_record("main-args")
    return first


@pytest.mark.parametrize("arguments,delivered", [
    ([], "[]"),
    (["x", "", "z"], "[x]"),
    (["a", "two words", "Grüße"], "[a] [two words] [Gr\\u00FC\\u00DFe]"),
], ids=["none", "empty middle", "several"])
def test_arguments_reach_secondary_main(app, arguments, delivered):
    configure(app)
    first_instance(app)
    result = app.run(*arguments)
    assert (result.returncode, result.stdout) == (0, b"")
    app.wait_for_record("secondary-done")
    assert app.recorded("secondary-args") == [delivered]
    # The forwarding launch created no VM of its own.
    assert sum(line.startswith("create:") for line in app.record()) == 1


def test_void_replies_before_and_int_after_secondary_main(tmp_path, app):
    configure(app)
    first_instance(app, secondary_ms=3000)
    began = time.monotonic()
    assert app.run("v").returncode == 0
    assert time.monotonic() - began < 2.5
    assert "secondary-done" not in app.record()

    int_app = App(tmp_path / "int", app.executable)
    configure(int_app, "test.SingleInt")
    first_instance(int_app, secondary_ms=500, secondary_result=7)
    assert int_app.run("i").returncode == 7
    assert "secondary-done" in int_app.record()


def test_first_instance_ending_ends_the_wait_with_its_exit_code(app):
    configure(app, "test.SingleInt")
    first = first_instance(app, wait_ms=2000, exit_code=3, secondary_ms=60000)
    result = app.run("w")
    first.wait(timeout=30)
    assert first.returncode == 3
    assert result.returncode == 3


@pytest.mark.parametrize("value", ["Yes", "YES", "true", "1"])
def test_only_exactly_yes_turns_the_mode_on(app, value):
    configure(app, single=value)
    first_instance(app)
    result = app.run("second", env=options(wait_ms=0))
    assert result.returncode == 0
    assert len(app.recorded("main-args")) == 2
    assert app.recorded("secondary-args") == []


def test_a_copy_at_another_path_is_an_instance_of_its_own(tmp_path, app):
    configure(app)
    first_instance(app)
    copy = App(tmp_path / "copy", app.executable)
    configure(copy)
    result = copy.run("c", env=options(wait_ms=0))
    assert result.returncode == 0
    assert copy.recorded("main-args") == ["1"]
    assert app.recorded("secondary-args") == [] and copy.recorded("secondary-args") == []


def test_arguments_must_fit_the_shared_block(app):
    configure(app)
    first_instance(app)
    # 518 units and two zero units fill the 1040 bytes exactly.
    assert app.run("x" * 518).returncode == 0
    assert app.run("x" * 519).returncode == MINUS_ONE
    app.wait_for_record("secondary-done")
    assert app.recorded("secondary-args") == [f"[{'x' * 518}]"]


def test_launch_while_the_first_is_before_main_waits_and_is_served(app):
    configure(app)
    first_instance(app, wait_for_main=False, env={"QZ_TEST_CREATE_DELAY_MS": "1500"})
    app.wait_for_record("library:")  # past its start-up, still creating its VM
    result = app.run("early", timeout=30)
    assert result.returncode == 0
    app.wait_for_record("secondary-done")
    assert app.recorded("secondary-args") == ["[early]"]


def test_two_launches_at_once_one_serves_the_other(app):
    configure(app)
    launches = {"one": app.start("one"), "two": app.start("two")}
    app.wait_for_record("secondary-done")
    [delivered] = app.recorded("secondary-args")
    forwarded = delivered[1:-1]
    assert forwarded in launches
    assert launches[forwarded].wait(timeout=30) == 0
    assert app.recorded("main-args") == ["1"]


def test_concurrent_launches_each_deliver_their_own_arguments(app):
    configure(app)
    first_instance(app)
    with ThreadPoolExecutor(max_workers=20) as pool:
        results = list(pool.map(lambda i: app.run(f"n{i}", timeout=120), range(20)))
    assert [r.returncode for r in results] == [0] * 20
    deadline = time.monotonic() + 30
    while app.record().count("secondary-done") < 20 and time.monotonic() < deadline:
        time.sleep(0.1)
    assert sorted(app.recorded("secondary-args")) == sorted(f"[n{i}]" for i in range(20))


def test_every_spelling_of_the_path_finds_the_running_instance(app):
    configure(app)
    first_instance(app)
    other_case = windows_path(app.exe).upper()
    result = subprocess.run([*RUNNER, other_case, "s"], cwd=app.folder,
                            env=app._environment(options(wait_ms=0)), stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=60)
    assert result.returncode == 0
    app.wait_for_record("secondary-done")
    assert app.recorded("secondary-args") == ["[s]"]


def test_a_first_instance_that_cannot_be_reached_ends_the_launch_with_minus_one(app):
    configure(app)
    # A first instance that this launch may not open: the arguments cannot be delivered.
    name = windows_path(app.exe).replace("\\", "_")
    result = app.run_command_line('"{exe}" x', env={"QZ_SPAWN_LOCKED_INSTANCE": name})
    assert result.returncode == MINUS_ONE
    assert app.record() == []


def test_a_forwarding_launch_killed_while_it_waits_takes_no_later_arguments(app):
    configure(app)
    first_instance(app, wait_for_main=False, env={"QZ_TEST_CREATE_DELAY_MS": "6000"})
    app.wait_for_record("library:")
    doomed = app.start("b")
    time.sleep(2.5)  # it has posted its request and waits for its arguments to be taken
    doomed.kill()
    doomed.wait()
    assert app.run("c", timeout=60).returncode == 0
    app.wait_for_record("secondary-done")
    time.sleep(1)
    assert app.recorded("secondary-args").count("[c]") == 1


def test_teardown_lets_a_running_secondary_main_finish_before_the_vm_goes(app):
    configure(app)
    first = first_instance(app, wait_ms=6000, secondary_ms=3000)
    assert app.run("t").returncode == 0
    assert first.wait(timeout=30) == 0
    record = app.record()
    destroyed = next(i for i, line in enumerate(record) if line.startswith("destroy:"))
    assert "secondary-done" in record[:destroyed], record
