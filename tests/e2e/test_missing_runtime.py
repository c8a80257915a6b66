"""The missing-runtime dialog, driven as a user drives it: on a display (Xvfb), in a Wine prefix of
its own whose desktop runs on that display. A small driver program finds the dialog by its title,
reads its controls and presses its buttons."""

import os
import shutil
import subprocess
import time
from pathlib import Path

import pytest

from conftest import MINUS_ONE, RUNNER, RUNTIMES, App, Gui, end_processes_in

TITLE = "JRE Not Found"
PLAIN = ("The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
         "({phrase}) from:")
SERVER = ("The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
          "with a server JVM ({phrase}) from:")


@pytest.fixture
def case(request, gui, executable, tmp_path):
    """An executable without any runtime, and a folder on drive C: for runtimes to browse to."""
    app = App(tmp_path / "app", executable)
    product = f"Quorvane Dialog {request.node.name}"[:60].replace("[", "-").replace("]", "")
    folders = gui.c_drive / f"qz-{tmp_path.name}"
    folders.mkdir()
    yield app, product, folders
    end_processes_in(tmp_path)
    end_processes_in(folders)
    shutil.rmtree(folders, ignore_errors=True)
    shutil.rmtree(gui.appdata / product, ignore_errors=True)


def ini(app: App, product: str, extra: str = "", application: str = "") -> None:
    app.write_ini(f"[Product Information]\nProduct Name={product}\nProduct Code=code\n"
                  f"[Java Runtime Environment]\nMain Class=test.Echo\n{extra}"
                  f"[Application]\n{application}" + app.class_path_section)


def start(gui: Gui, app: App) -> subprocess.Popen:
    return subprocess.Popen([*RUNNER, str(app.exe)], cwd=app.folder,
                            env=dict(app._environment(None), **gui.env),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def runtime_on_c(folders: Path, executable: str, name: str, kind: str = "client") -> str:
    """A copy of a test runtime in a folder of drive C:; its Windows path."""
    shutil.copytree(RUNTIMES[executable] / kind, folders / name)
    return f"C:\\{folders.name}\\{name}"


def test_message_cancel_and_close_save_nothing(gui, case, executable):
    app, product, folders = case
    ini(app, product, "Minimum Version=1.8\nJVM Type=server\n")
    launch = start(gui, app)
    shown = gui.drive("show", TITLE)
    assert shown["message"] == SERVER.format(phrase="minimum version 1.8")
    assert shown["link"] == "https://adoptium.net/"
    assert (shown["path"], shown["ok"]) == ("", "disabled")
    # The folder browser opens with its title; cancelling it changes nothing.
    browsed = gui.drive("browse-cancel", TITLE)
    assert "Browse for JRE folder" in browsed["browser"]
    assert (browsed["path"], browsed["ok"]) == ("", "disabled")
    gui.drive("close", TITLE)
    assert launch.wait(timeout=30) == MINUS_ONE
    assert launch.stdout.read() == b""
    assert not (gui.appdata / product).exists()

    launch = start(gui, app)
    gui.drive("click", TITLE, "2")  # Cancel
    assert launch.wait(timeout=30) == MINUS_ONE


def test_a_folder_without_the_wanted_vm_leaves_ok_disabled(gui, case, executable):
    app, product, folders = case
    client_only = runtime_on_c(folders, executable, "client-only")
    ini(app, product, "JVM Type=server\n")
    launch = start(gui, app)
    browsed = gui.drive("browse", TITLE, client_only)
    assert browsed["path"] == client_only
    assert browsed["ok"] == "disabled"
    gui.drive("click", TITLE, "1")  # a disabled OK does nothing
    gui.drive("click", TITLE, "2")
    assert launch.wait(timeout=30) == MINUS_ONE


@pytest.mark.parametrize("folder_name", ["rt", "Приложение-rt"], ids=["plain", "cyrillic"])
def test_ok_runs_main_and_the_folder_is_remembered(gui, case, executable, folder_name):
    app, product, folders = case
    chosen = runtime_on_c(folders, executable, folder_name)
    ini(app, product, application=f"Pair Product=C:\\{folders.name}\\twin\\twin.exe\n")
    launch = start(gui, app)
    browsed = gui.drive("browse", TITLE, chosen)
    assert (browsed["path"], browsed["ok"]) == (chosen, "enabled")
    gui.drive("click", TITLE, "1")
    assert launch.wait(timeout=30) == 0
    assert launch.stdout.read() == b"args: 0\r\n"
    # Saved for this user, for this executable and for its pair, whole in any script.
    for name in (app.exe.stem, "twin"):
        saved = (gui.appdata / product / "code" / f"{name}.ini").read_bytes()
        assert saved.startswith(b"\xff\xfe")
        assert f"JRE Path={chosen}\\".encode("utf-16-le") in saved
    # The next start needs no dialog.
    again = subprocess.run([*RUNNER, str(app.exe), "x"], cwd=app.folder, timeout=60,
                           env=dict(app._environment(None), **gui.env), stdout=subprocess.PIPE)
    assert (again.returncode, again.stdout) == (0, b"args: 1\r\nx\r\n")


def test_service_mode_saves_beside_the_executable(gui, case, executable):
    app, product, folders = case
    chosen = runtime_on_c(folders, executable, "rt")
    ini(app, product, application="Application Type=service\n")
    launch = start(gui, app)
    gui.drive("browse", TITLE, chosen)
    gui.drive("click", TITLE, "1")
    # The folder is saved before the service dispatcher starts; started from a console, the
    # dispatcher waits for a service manager that never calls, so the launch is ended here.
    saved = f"JRE Path={chosen}\\"
    deadline = time.monotonic() + 30
    try:
        while saved not in app.ini.read_bytes().decode("ascii", "replace"):
            assert launch.poll() is None and time.monotonic() < deadline, app.ini.read_bytes()
            time.sleep(0.05)
    finally:
        launch.kill()
        launch.communicate()
    assert not (gui.appdata / product).exists()


def test_link_colour_follows_the_browser_setting(gui, case):
    app, product, folders = case
    key = "HKCU\\Software\\Microsoft\\Internet Explorer\\Settings"
    gui.run("reg", "add", key, "/v", "Anchor Color", "/d", "0,128,0", "/f")
    try:
        ini(app, product)
        launch = start(gui, app)
        assert gui.drive("colour", TITLE, "205")["colour"] == "0,128,0"
        gui.drive("click", TITLE, "2")
        assert launch.wait(timeout=30) == MINUS_ONE
    finally:
        gui.run("reg", "delete", key, "/v", "Anchor Color", "/f", check=False)


def test_the_launch_reads_what_was_edited_while_the_dialog_was_open(gui, case, executable):
    app, product, folders = case
    chosen = runtime_on_c(folders, executable, "rt")
    ini(app, product)
    launch = start(gui, app)
    gui.drive("show", TITLE)
    # A section the file did not have when the launcher read its settings.
    with app.ini.open("ab") as file:
        file.write(b"[Application+]\r\nCmd=edited\r\n")
    gui.drive("browse", TITLE, chosen)
    gui.drive("click", TITLE, "1")
    assert launch.wait(timeout=30) == 0
    assert launch.stdout.read() == b"args: 1\r\nedited\r\n"
