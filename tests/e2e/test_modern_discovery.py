"""Runtimes that current installers leave behind: the keys of current vendors (per machine and per
user), JAVA_HOME, and the vendors' install folders, after the registry keys of old."""

import os
import shutil
from pathlib import Path

import pytest

from conftest import App, BUILD, windows_path
from test_runtime_discovery import JRE, MINUS_ONE, OWN_BITS, TWIN, loaded_library, runtime_copy, \
    write_main_ini

PREFIX = Path(os.environ.get("QZ_WINEPREFIX", BUILD / "wineprefix"))


def release(folder: Path, version: str) -> Path:
    (folder / "release").write_text(f'IMPLEMENTOR="Test"\nJAVA_VERSION="{version}"\n')
    return folder


def copy_runtime(target: Path, source: Path, version: str | None = None) -> Path:
    shutil.copytree(source, target)
    if version:
        release(target, version)
    return target


@pytest.mark.parametrize("key,version,hive,value,below", [
    ("Software\\JavaSoft\\JDK", "17", "HKEY_LOCAL_MACHINE", "JavaHome", ""),
    ("Software\\JavaSoft\\JRE", "17.0.9", "HKEY_LOCAL_MACHINE", "JavaHome", ""),
    ("Software\\Eclipse Adoptium\\JDK", "17.0.9.9", "HKEY_CURRENT_USER", "Path", "hotspot\\MSI"),
    ("Software\\Eclipse Adoptium\\JRE", "21.0.1.12", "HKEY_LOCAL_MACHINE", "Path", "hotspot\\MSI"),
    ("Software\\Microsoft\\JDK", "21.0.1.12", "HKEY_LOCAL_MACHINE", "Path", "hotspot\\MSI"),
    ("Software\\AdoptOpenJDK\\JRE", "11.0.2.9", "HKEY_CURRENT_USER", "Path", "openj9\\MSI"),
], ids=["JavaSoft JDK", "JavaSoft JRE", "Temurin per user", "Temurin JRE", "Microsoft",
        "AdoptOpenJDK"])
def test_current_vendor_keys_are_found(tmp_path, app, registry, key, version, hive, value, below):
    home = runtime_copy(tmp_path / "modern", app.runtime("full"))
    registry.add(key, version, windows_path(home) + "\\", bits=OWN_BITS[app.executable],
                 hive=hive, value=value, below=below)
    write_main_ini(app)
    result = app.run()
    assert result.returncode == 0, result.stdout
    assert "\\modern\\bin\\client\\jvm.dll" in loaded_library(app)


def test_old_and_current_keys_are_ranked_together(tmp_path, app, registry):
    bits = OWN_BITS[app.executable]
    registry.add(JRE, "1.8", runtime_copy(tmp_path / "old", app.runtime("full")), bits=bits)
    registry.add("Software\\Eclipse Adoptium\\JDK", "17.0.9.9",
                 runtime_copy(tmp_path / "new", app.runtime("full")), bits=bits, value="Path",
                 below="hotspot\\MSI")
    # The same home under a second key is one candidate.
    registry.add("Software\\JavaSoft\\JDK", "17", tmp_path / "new", bits=bits)
    write_main_ini(app)
    result = app.run(env={"QZ_TRACE": "1"})
    assert result.returncode == 0
    assert "\\new\\bin\\client\\jvm.dll" in loaded_library(app)
    assert f"passed over, duplicate of {windows_path(tmp_path / 'new')}\\" in result.stderr.decode()
    write_main_ini(app, **{"Maximum Version": "11"})
    assert app.run().returncode == 0
    assert "\\old\\bin\\client\\jvm.dll" in loaded_library(app)


def test_java_home_when_the_registry_has_nothing(tmp_path, app, registry):
    home = release(runtime_copy(tmp_path / "home", app.runtime("client")), "17.0.2")
    write_main_ini(app)
    assert app.run(env={"JAVA_HOME": windows_path(home)}).returncode == 0
    assert "\\home\\bin\\client\\jvm.dll" in loaded_library(app)
    # Its version obeys the bounds; Runtime Search=classic does not look at it at all.
    for settings in ({"Minimum Version": "18"}, {"Runtime Search": "Classic"}):
        write_main_ini(app, **settings)
        assert app.run(env={"JAVA_HOME": windows_path(home)}).returncode == MINUS_ONE, settings


@pytest.fixture
def program_files(executable):
    """The folder where this executable's architecture installs programs, and its twin's."""
    own = PREFIX / "drive_c" / ("Program Files" if executable == "quorvane64.exe" else "Program Files (x86)")
    other = PREFIX / "drive_c" / ("Program Files (x86)" if executable == "quorvane64.exe" else "Program Files")
    created = []
    yield own, other, created
    for folder in created:
        shutil.rmtree(folder, ignore_errors=True)


def test_install_folders_are_searched_last(tmp_path, app, registry, program_files):
    own, _, created = program_files
    vendor = own / "Eclipse Adoptium"
    created.append(vendor)
    copy_runtime(vendor / "jdk-11.0.21.9-hotspot", app.runtime("client"), "11.0.21")
    copy_runtime(vendor / "jdk-17.0.9.9-hotspot", app.runtime("client"), "17.0.9")
    write_main_ini(app)
    result = app.run()
    assert result.returncode == 0, result.stdout
    assert "\\jdk-17.0.9.9-hotspot\\bin\\client\\jvm.dll" in loaded_library(app)
    # The bounds and the VM type filter them as they filter registered runtimes.
    write_main_ini(app, **{"Maximum Version": "11"})
    assert app.run().returncode == 0
    assert "\\jdk-11.0.21.9-hotspot\\" in loaded_library(app)
    write_main_ini(app, **{"JVM Type": "server"})
    assert app.run().returncode == MINUS_ONE
    write_main_ini(app)
    # A registered runtime comes first, even an older one.
    registry.add(JRE, "1.8", runtime_copy(tmp_path / "registered", app.runtime("client")),
                 bits=OWN_BITS[app.executable])
    assert app.run().returncode == 0
    assert "\\registered\\" in loaded_library(app)


@pytest.mark.needs_32_bit
def test_other_processors_runtime_needs_the_pair(tmp_path, executable, registry, program_files):
    own, other, created = program_files
    twin_exe = TWIN[executable]
    app = App(tmp_path / "pair", executable)
    twin = App(tmp_path / "pair", twin_exe)
    # A runtime of the twin's processor, where this executable's programs go and where the twin's.
    for base, name in ((own, "Java"), (other, "Zulu")):
        created.append(base / name)
        copy_runtime(base / name / f"jdk-{name}", twin.runtime("client"), "17.0.9")
    write_main_ini(app)
    result = app.run(env={"QZ_TRACE": "1"})
    assert result.returncode == MINUS_ONE
    trace = result.stderr.decode()
    assert "jdk-Java\\bin\\client\\jvm.dll is built for the other processor and there is no Pair " \
           "Product" in trace
    assert "install folders of the other processor in " in trace
    for launcher in (app, twin):
        write_main_ini(launcher, **{"Pair Product": windows_path(twin.exe), "Pair Return Code": "yes"})
    result = app.run("x")
    assert (result.returncode, result.stdout) == (0, b"args: 1\r\nx\r\n")
    assert "\\jdk-" in loaded_library(app)
