"""Handing a launch over to the twin executable goes wrong in ways a user must be told about:
the twin cannot be started, "Pair Product" names the executable itself, or the twin would hand
the launch back. Each ends at once with one error line and -1, and leaves no process behind."""

import time

import pytest

from conftest import MINUS_ONE, RUNTIMES, TWIN, App, end_processes_in, processes_in, windows_path

@pytest.fixture
def folder(tmp_path):
    # Every process started from it is ended, also copies a faulty launcher kept starting.
    folder = tmp_path / "handover"
    yield folder
    end_processes_in(folder)


def pair_ini(app: App, runtime_of: str, pair_product: str, wait: str) -> None:
    # "JRE Path" is a test runtime of the executable runtime_of: one of the other architecture
    # hands the launch over.
    app.configure(runtime=None, JRE_Path=windows_path(RUNTIMES[runtime_of] / "full"),
                  Pair_Product=pair_product, Pair_Return_Code=wait)


# The system's own error codes: a folder is refused as access denied (5) by Windows, as an
# invalid handle (6) by Wine.
ERRNOS = {"missing": [2], "folder": [5, 6], "text": [193]}


@pytest.mark.parametrize("wait", ["Yes", "no"])
@pytest.mark.parametrize("kind", ["itself", *ERRNOS])
def test_a_pair_product_that_cannot_take_the_launch(folder, executable, kind, wait):
    app = App(folder / "app", executable)
    target = windows_path(folder / "twin.exe")
    lines = [f"Failed to start the Pair Product {target} (errno = {errno})."
             for errno in ERRNOS.get(kind, [])]
    if kind == "itself":  # another spelling of the same file: letter case and a detour via ..
        target = windows_path(app.folder / ".." / "app" / executable).upper()
        lines = [f"The Pair Product {target} is this executable itself: the launch is not "
                 "handed over."]
    elif kind == "folder":
        (folder / "twin.exe").mkdir()
    elif kind == "text":
        (folder / "twin.exe").write_text("not a program\n")
    pair_ini(app, TWIN[executable], target, wait)
    result = app.run("a", timeout=30)
    time.sleep(0.5)
    assert (result.returncode, processes_in(folder), app.record()) == (MINUS_ONE, [], [])
    assert result.stdout in [f"Error: {line} \r\n".encode() for line in lines]


def test_twin_started_by_a_handover_never_hands_it_back(folder, executable):
    app = App(folder / "pair", executable)
    twin = App(folder / "pair", TWIN[executable])
    # Each finds only a runtime of the other's architecture: without the rule they would start
    # each other for ever.
    pair_ini(app, TWIN[executable], windows_path(twin.exe), "Yes")
    pair_ini(twin, executable, windows_path(app.exe), "Yes")
    result = app.run("a", timeout=30)
    time.sleep(0.5)
    assert (result.returncode, result.stdout, processes_in(folder)) == (MINUS_ONE, (
        f"Error: The Pair Product {windows_path(app.exe)} is not started: this executable was itself "
        "started by a hand-over, and a launch is handed over only once. \r\n").encode(), [])
    # Once the twin has a runtime of its own it runs the program, which never sees the mark
    # that told the twin it was started by a hand-over.
    pair_ini(twin, TWIN[executable], windows_path(app.exe), "Yes")
    result = app.run("a", timeout=30)
    assert (result.returncode, result.stdout) == (0, b"args: 1\r\na\r\n")
    names = [value.split("=", 1)[0] for value in twin.recorded("env")]
    assert "QZ_JVM_PATH" in names and "QZ_PAIR_HANDOVER" not in names
