"""Runtimes that current installers leave behind: the keys of current vendors (per machine and per
user), JAVA_HOME, and the vendors' install folders, after the registry keys of old."""

import shutil
from pathlib import Path

import pytest

from conftest import JRE, MINUS_ONE, OWN_BITS, PREFIX, TWIN, App, copy_runtime, loaded_library, \
    runtime_copy, windows_path, write_main_ini

ADOPTIUM = "Software\\Eclipse Adoptium\\JDK"
ZULU = "Software\\Azul Systems\\Zulu"
HKLM, HKCU = "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"


# key, subkey name, hive, value, the path below the name that holds it, the runtime's release
# version (None: no release file), settings, and whether the runtime is found.
@pytest.mark.parametrize("key,name,hive,value,below,release_version,settings,found", [
    ("Software\\JavaSoft\\JDK", "17", HKLM, "JavaHome", "", None, {}, True),
    ("Software\\JavaSoft\\JRE", "17.0.9", HKLM, "JavaHome", "", None, {}, True),
    (ADOPTIUM, "17.0.9.9", HKCU, "Path", "hotspot\\MSI", None, {}, True),
    ("Software\\Eclipse Adoptium\\JRE", "21.0.1.12", HKLM, "Path", "hotspot\\MSI", None, {}, True),
    ("Software\\Microsoft\\JDK", "21.0.1.12", HKLM, "Path", "hotspot\\MSI", None, {}, True),
    ("Software\\AdoptOpenJDK\\JRE", "11.0.2.9", HKCU, "Path", "openj9\\MSI", None, {}, True),
    ("Software\\AdoptOpenJDK\\JDK", "8.0.212.4", HKLM, "Path", "MSI", None, {}, True),
    ("Software\\Semeru\\JDK", "17.0.9.9", HKCU, "Path", "openj9\\MSI", None, {}, True),
    ("Software\\Semeru\\JRE", "21.0.1.12", HKLM, "Path", "openj9\\MSI", None, {}, True),
    ("Software\\SapMachine\\JDK", "17.0.9", HKLM, "JavaHome", "", None, {}, True),
    ("Software\\SapMachine\\JRE", "11.0.20.256", HKLM, "JavaHome", "", "11.0.20.1",
     {"Maximum Version": "11.0.20.1"}, True),
    (ZULU, "zulu-17", HKLM, "InstallationPath", "", "17.0.9", {"Minimum Version": "17.0.2"}, True),
    (ZULU, "zulu-17", HKLM, "InstallationPath", "", "17.0.9", {"Maximum Version": "17.0.5"}, False),
    (ZULU, "zulu-17-jre", HKLM, "InstallationPath", "", None, {"JVM Source": "only_JRE"}, True),
    (ZULU, "zulu-17", HKLM, "InstallationPath", "", None, {"JVM Source": "only_JRE"}, False),
    ("Software\\Azul Systems\\Zulu 32-bit", "zulu-11", HKLM, "InstallationPath", "", None, {}, "32-bit"),
    ("Software\\BellSoft\\Liberica", "jdk-21", HKLM, "InstallationPath", "", "21.0.1",
     {"Minimum Version": "21.0.1"}, True),
    ("Software\\BellSoft\\Liberica", "jre-21", HKCU, "InstallationPath", "", None,
     {"JVM Source": "only_JDK"}, False),
], ids=["JavaSoft JDK", "JavaSoft JRE", "Temurin per user", "Temurin JRE", "Microsoft",
        "AdoptOpenJDK", "AdoptOpenJDK before 2019", "Semeru per user", "Semeru", "SapMachine",
        "SapMachine encoded fourth part", "Zulu version from release", "Zulu above the maximum",
        "Zulu JRE", "Zulu JDK not a JRE", "Zulu 32-bit view only", "Liberica", "Liberica JRE not a JDK"])
def test_current_vendor_keys_are_found(tmp_path, app, registry, key, name, hive, value, below,
                                       release_version, settings, found):
    home = tmp_path / "modern"
    if release_version:
        copy_runtime(home, app.runtime("full"), release_version)
    else:
        runtime_copy(home, app.runtime("full"))
    registry.add(key, name, windows_path(home) + "\\", bits=OWN_BITS[app.executable],
                 hive=hive, value=value, below=below)
    write_main_ini(app, **settings)
    result = app.run()
    if found == "32-bit":
        found = OWN_BITS[app.executable] == 32
    if found:
        assert result.returncode == 0, result.stdout
        assert "\\modern\\bin\\client\\jvm.dll" in loaded_library(app)
    else:
        assert result.returncode == MINUS_ONE, result.stdout
        assert loaded_library(app) is None


@pytest.mark.parametrize("settings,chosen,rule", [
    ({}, "old", "current vendors' keys, JAVA_HOME and install folders: not searched (the keys of "
                "old gave a runtime)"),
    ({"Minimum Version": "9"}, "new", "registry: the keys of old gave no runtime; now the current "
                                      "vendors' keys"),
    ({"Runtime Search": "classic"}, "old", "registry: the keys of old only (Runtime Search=classic)"),
    ({"Runtime Search": "Together"}, "new", "passed over, duplicate of "),
    ({"Runtime Search": "together", "Maximum Version": "11"}, "old", "registry: the current "
     "vendors' keys ranked together with the keys of old, view by view (Runtime Search=together)"),
], ids=["old keys first", "old keys out of bounds", "classic", "together", "together, bounded"])
def test_old_keys_come_first_unless_ranked_together(tmp_path, app, registry, settings, chosen, rule):
    bits = OWN_BITS[app.executable]
    registry.add(JRE, "1.8", runtime_copy(tmp_path / "old", app.runtime("full")), bits=bits)
    registry.add(ADOPTIUM, "17.0.9.9", runtime_copy(tmp_path / "new", app.runtime("full")),
                 bits=bits, value="Path", below="hotspot\\MSI")
    # The same home under a second key is one candidate.
    registry.add("Software\\JavaSoft\\JDK", "17", tmp_path / "new", bits=bits)
    write_main_ini(app, **settings)
    result = app.run(env={"QZ_TRACE": "1"})
    assert result.returncode == 0, result.stdout
    assert f"\\{chosen}\\bin\\client\\jvm.dll" in loaded_library(app)
    assert rule in result.stderr.decode()


@pytest.mark.parametrize("layout,settings,found", [
    ("runtime", {}, True),
    ("runtime", {"Minimum Version": "18"}, False),
    ("runtime", {"Runtime Search": "Classic"}, False),
    ("Java 8 kit", {"JVM Source": "only_JDK"}, True),
    ("Java 8 kit", {"JVM Source": "only_JRE"}, False),
], ids=["runtime", "below the minimum", "classic", "kit for only_JDK", "kit for only_JRE"])
def test_java_home_when_the_registry_has_nothing(tmp_path, app, registry, layout, settings, found):
    home = tmp_path / "home"
    if layout == "runtime":
        copy_runtime(home, app.runtime("client"), "17.0.2")
    else:
        # A Java 8 development kit: the compiler in bin\, the runtime in jre\.
        copy_runtime(home / "jre", app.runtime("client"), "1.8.0_392")
        (home / "bin").mkdir()
        (home / "bin" / "javac.exe").write_bytes(b"")
    write_main_ini(app, **settings)
    result = app.run(env={"JAVA_HOME": windows_path(home)})
    if found:
        assert result.returncode == 0, result.stdout
        assert "\\home\\" + ("" if layout == "runtime" else "jre\\") + "bin\\client\\jvm.dll" \
            in loaded_library(app)
    else:
        assert result.returncode == MINUS_ONE, result.stdout
        assert loaded_library(app) is None


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
    created.append(own / "Eclipse Adoptium")
    copy_runtime(own / "Eclipse Adoptium" / "jdk-17.0.9.9-hotspot", app.runtime("client"), "17.0.9")
    # A registered runtime comes first, even an older one.
    registry.add(JRE, "1.8", runtime_copy(tmp_path / "registered", app.runtime("client")),
                 bits=OWN_BITS[app.executable])
    write_main_ini(app)
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


@pytest.mark.parametrize("settings,chosen", [
    ({}, "jre-21"),
    ({"JVM Source": "favor_JDK"}, "jdk-17"),
    ({"JVM Source": "only_JDK"}, "jdk-17"),
    ({"JVM Source": "JDK"}, None),
    ({"VM Provider": "jrockit"}, None),
    ({"Maximum Version": "17"}, "jdk-17"),
    ({"JVM Type": "server"}, None),
], ids=["newest", "favor_JDK", "only_JDK", "unknown JVM Source", "JRockit", "maximum", "server"])
def test_install_folders_are_filtered_and_ranked(app, registry, program_files, settings,
                                                         chosen):
    own, _, created = program_files
    vendor = own / "BellSoft"
    created.append(vendor)
    copy_runtime(vendor / "jre-21", app.runtime("client"), "21.0.1")
    kit = copy_runtime(vendor / "jdk-17", app.runtime("client"), "17.0.9")
    (kit / "bin" / "javac.exe").write_bytes(b"")
    write_main_ini(app, **settings)
    result = app.run()
    if chosen is None:
        assert result.returncode == MINUS_ONE, result.stdout
        assert loaded_library(app) is None
    else:
        assert result.returncode == 0, result.stdout
        assert f"\\{chosen}\\bin\\client\\jvm.dll" in loaded_library(app)


def arm64_runtime(target: Path, source: Path, version: str) -> Path:
    """A copy of a test runtime whose VM library says it is built for ARM64."""
    copy_runtime(target, source, version)
    library = target / "bin" / "client" / "jvm.dll"
    data = bytearray(library.read_bytes())
    headers = int.from_bytes(data[0x3C:0x40], "little")
    data[headers + 4:headers + 6] = (0xAA64).to_bytes(2, "little")
    library.write_bytes(bytes(data))
    return target


@pytest.mark.parametrize("pair", [False, True], ids=["alone", "with Pair Product"])
def test_runtimes_of_other_processors_are_passed_over(tmp_path, executable, registry,
                                                      program_files, pair):
    own, _, created = program_files
    app = App(tmp_path / "pair", executable)
    twin = App(tmp_path / "pair", TWIN[executable])
    vendor = own / "Zulu"
    created.append(vendor)
    java_home = arm64_runtime(tmp_path / "arm-home", app.runtime("client"), "21.0.1")
    arm64_runtime(vendor / "zulu-22-arm", app.runtime("client"), "22")
    copy_runtime(vendor / "zulu-17", app.runtime("client"), "17.0.9")
    for launcher in (app, twin):
        write_main_ini(launcher, **({"Pair Product": windows_path(twin.exe), "Pair Return Code": "yes"}
                                    if pair else {}))
    result = app.run("x", env={"JAVA_HOME": windows_path(java_home), "QZ_TRACE": "1"})
    assert (result.returncode, result.stdout) == (0, b"args: 1\r\nx\r\n"), result.stderr
    assert "\\zulu-17\\bin\\client\\jvm.dll" in loaded_library(app)
    trace = result.stderr.decode()
    for library in (windows_path(java_home), "\\Zulu\\zulu-22-arm"):
        assert f"{library}\\bin\\client\\jvm.dll is built for ARM64, which neither this executable " \
               "nor its twin can load" in trace
