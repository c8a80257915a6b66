"""The missing-runtime dialog, driven as a user drives it: on a display (Xvfb), in a Wine prefix of
its own whose desktop runs on that display. A small driver program finds the dialog by its title,
reads its controls and presses its buttons."""

import shutil
import time

import pytest

from conftest import MINUS_ONE, RUNTIMES, App, end_processes_in

TITLE = "JRE Not Found"
OK, CANCEL = "1", "2"


@pytest.fixture
def case(request, gui, executable, tmp_path):
    """An executable without any runtime, its product name, and a folder on drive C: for
    runtimes to browse to."""
    app = App(tmp_path / "app", executable)
    product = f"Quorvane Dialog {request.node.name}"[:60].replace("[", "-").replace("]", "")
    folders = gui.c_drive / f"qz-{tmp_path.name}"
    folders.mkdir()
    yield app, product, folders
    end_processes_in(tmp_path)
    end_processes_in(folders)
    shutil.rmtree(folders, ignore_errors=True)
    shutil.rmtree(gui.appdata / product, ignore_errors=True)


def runtime_on_c(folders, executable: str, name: str) -> str:
    """A copy of the client test runtime in a folder of drive C:; its Windows path."""
    shutil.copytree(RUNTIMES[executable] / "client", folders / name)
    return f"C:\\{folders.name}\\{name}"


def test_message_link_browsing_cancel_and_close_save_nothing(gui, case, executable):
    app, product, folders = case
    client_only = runtime_on_c(folders, executable, "client-only")
    app.configure(runtime=None, Product_Name=product, Product_Code="code", Minimum_Version="1.8",
                  JVM_Type="server")
    key = "HKCU\\Software\\Microsoft\\Internet Explorer\\Settings"
    gui.run("reg", "add", key, "/v", "Anchor Color", "/d", "0,128,0", "/f")
    try:
        launch = app.start(env=gui.env)
        shown = gui.drive("show", TITLE)
        # The link takes the browser's colour for links.
        assert gui.drive("colour", TITLE, "205")["colour"] == "0,128,0"
    finally:
        gui.run("reg", "delete", key, "/v", "Anchor Color", "/f", check=False)
    assert (shown["message"], shown["link"], shown["path"], shown["ok"]) == (
        "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE with a "
        "server JVM (minimum version 1.8) from:", "https://adoptium.net/", "", "disabled")
    # The folder browser opens with its title; cancelling it changes nothing.
    browsed = gui.drive("browse-cancel", TITLE)
    assert ("Browse for JRE folder" in browsed["browser"], browsed["path"], browsed["ok"]) == \
        (True, "", "disabled")
    # A folder without the wanted VM leaves OK disabled, and a disabled OK does nothing.
    assert gui.drive("browse", TITLE, client_only)["ok"] == "disabled"
    gui.drive("click", TITLE, OK)
    gui.drive("close", TITLE)
    assert (launch.wait(timeout=30), launch.stdout.read()) == (MINUS_ONE, b"")
    assert not (gui.appdata / product).exists()
    launch = app.start(env=gui.env)
    gui.drive("click", TITLE, CANCEL)
    assert launch.wait(timeout=30) == MINUS_ONE


def test_ok_runs_main_with_what_was_edited_meanwhile_and_the_folder_is_remembered(gui, case,
                                                                                executable):
    app, product, folders = case
    chosen = runtime_on_c(folders, executable, "\u041f\u0440\u0438\u043b\u043e\u0436\u0435\u043d\u0438\u0435-rt")
    app.configure(runtime=None, Product_Name=product, Product_Code="code",
                  Pair_Product=f"C:\\{folders.name}\\twin\\twin.exe")
    launch = app.start(env=gui.env)
    gui.drive("show", TITLE)
    # A section the file did not have when the launcher read its settings.
    with app.ini.open("ab") as file:
        file.write(b"[Application+]\r\nCmd=edited\r\n")
    browsed = gui.drive("browse", TITLE, chosen)
    assert (browsed["path"], browsed["ok"]) == (chosen, "enabled")
    gui.drive("click", TITLE, OK)
    assert (launch.wait(timeout=30), launch.stdout.read()) == (0, b"args: 1\r\nedited\r\n")
    # Saved for this user, for this executable and for its pair, whole in any script.
    for name in (app.exe.stem, "twin"):
        saved = (gui.appdata / product / "code" / f"{name}.ini").read_bytes()
        assert saved.startswith(b"\xff\xfe") and f"JRE Path={chosen}\\".encode("utf-16-le") in saved
    # The next start needs no dialog.
    again = app.run("x", env=gui.env)
    assert (again.returncode, again.stdout) == (0, b"args: 2\r\nx\r\nedited\r\n")


def test_service_mode_saves_beside_the_executable(gui, case, executable):
    app, product, folders = case
    chosen = runtime_on_c(folders, executable, "rt")
    app.configure(runtime=None, Product_Name=product, Product_Code="code", Application_Type="service")
    launch = app.start(env=gui.env)
    gui.drive("browse", TITLE, chosen)
    gui.drive("click", TITLE, OK)
    # The folder is saved before the service dispatcher starts; started from a console, the
    # dispatcher waits for a service manager that never calls, so the launch is ended here.
    deadline = time.monotonic() + 30
    try:
        while f"JRE Path={chosen}\\" not in app.ini.read_bytes().decode("ascii", "replace"):
            assert launch.poll() is None and time.monotonic() < deadline, app.ini.read_bytes()
            time.sleep(0.05)
    finally:
        launch.kill()
        launch.communicate()
    assert not (gui.appdata / product).exists()
