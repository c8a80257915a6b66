"""The windowless twins on a display: the error lines of a run come together in one message box,
titled with the executable's base name and showing the error icon; a driver reads the box and
presses OK, as a user would. Without a box to show, the lines reach standard output."""

import pytest

from conftest import (MAIN_CLASS_MISSING, MINUS_ONE, SPAWN, WINDOWLESS, App, end_processes_in,
                      runtime_at, touch, windows_path)

CLASS_PATH_MISSING = "Error: Java Class Path was not specified in INI file. "


@pytest.fixture(params=list(WINDOWLESS.values()))
def windowless(request, tmp_path):
    yield request.param
    end_processes_in(tmp_path)


# Each case: the executable's name, whether it has a standard error, the main class, the lines
# the box shows after the class path's line ("\n" stands for each line break of the box), and the
# exit code and standard output. A class the runtime cannot find is reported by the JDK's launcher
# helper, which ends the VM with 1: with a standard error the launcher's own line comes to the box;
# without one, the helper's own lines do. main starts only once the box is gone.
@pytest.mark.parametrize("name,standard_handles,main_class,lines,code,stdout", [
    ("My App.v2.exe", True, "test.Missing", "\\nError: Failed to load Main Class: test.Missing.\\n ",
     1, b""),
    (None, False, "test.Missing", "\\nError: Could not find or load main class test.Missing\\n"
                                  "Caused by: java.lang.ClassNotFoundException: test.Missing", 1, b""),
    (None, True, "test.Echo", "", 0, b"args: 0\r\n"),
], ids=["renamed", "no standard error", "the run goes on"])
def test_error_lines_in_one_box_titled_with_the_base_name(gui, tmp_path, windowless, name,
                                                            standard_handles, main_class, lines,
                                                            code, stdout):
    app = App(tmp_path / "app", windowless, name=name)
    app.configure(main_class, "client", Class_Path=None)  # no class path: a line, and the run goes on
    # Started from a console, or as Explorer or a shortcut starts it: with no standard error.
    launch = app.start(env=gui.env) if standard_handles else app.start(
        env=dict(gui.env, QZ_SPAWN_NO_STANDARD_HANDLES="1",
                 QZ_SPAWN_COMMAND_FILE=app.command_file('"{exe}"')),
        program=[str(SPAWN), windows_path(app.exe)])
    box = gui.drive("box", app.exe.stem)
    assert (box["icon"], CLASS_PATH_MISSING + lines in box["texts"]) == ("yes", True), box["texts"]
    assert (launch.wait(timeout=30), launch.stdout.read()) == (code, stdout)
    # A run without error lines shows no box.
    app.configure("test.Exit")
    assert app.start(env=gui.env).wait(timeout=30) == 7


def test_without_a_display_the_lines_reach_standard_output(tmp_path, windowless):
    result = App(tmp_path / "app", windowless).run()
    assert (result.returncode, result.stdout) == (MINUS_ONE, MAIN_CLASS_MISSING)


# The awareness each runtime's own java.exe declares, set before any window: per monitor for Java 9
# and later (whose runtimes hold lib\modules), system for Java 8. The executables declare none,
# so that the runtime's can still be set (a system that has set one already refuses, and says so
# in the trace); a console launch where no user-interface library is
# loaded leaves it to the program's toolkit rather than load one.
@pytest.mark.parametrize("executable, modular, awareness", [
    *[(exe, True, "per monitor") for exe in WINDOWLESS.values()],
    *[(exe, False, "system") for exe in WINDOWLESS.values()],
    *[(exe, True, "left to the program's toolkit") for exe in WINDOWLESS]])
def test_dpi_awareness_follows_the_runtime(tmp_path, executable, modular, awareness):
    app = App(tmp_path / "app", executable)
    assert b"dpiAware" not in app.exe.read_bytes()
    home = runtime_at(tmp_path / "runtime", app.runtime("full"), copy=True)
    touch(*[home / "lib" / "modules"] * modular)
    app.configure(JRE_Path=windows_path(home))
    trace = tmp_path / "trace.txt"
    for _ in range(3):  # Wine's loader now and then fails to start a program on a busy machine
        result = app.run(env={"QZ_TRACE": windows_path(trace)})
        if trace.exists():
            break
    assert f"trace: DPI awareness: {awareness}" in trace.read_text(encoding="utf-8"), result
    assert result.returncode == 0, (result, trace.read_text(encoding="utf-8"))
