"""Finding a runtime, as a user sees it: which VM library is loaded (or the message when none is),
from "JRE Path", the runtime shipped beside the executable, the registry keys
of old and of current vendors in either view, JAVA_HOME and the install folders; and the trace."""

import re
import shutil
import subprocess
from pathlib import Path

import pytest

from conftest import MAIN_CLASS_MISSING, MINUS_ONE, PREFIX, REGISTRY_CLEAN, RUNNER, RUNTIMES, \
    TWIN, App, long_folder, run_windows, runtime_at, touch, windows_path

JRE = "Software\\JavaSoft\\Java Runtime Environment"
OWN_BITS = {"quorvane64.exe": 64, "quorvane.exe": 32}
VENDORS = ["JavaSoft", "JRockit", "IBM", "Eclipse Adoptium", "Eclipse Foundation", "AdoptOpenJDK",
           "Microsoft\\JDK", "Semeru", "SapMachine", "Azul Systems", "BellSoft"]


class Registry:
    """Runtimes registered per machine or per user in the 64-bit or the 32-bit view."""

    def __init__(self, folder: Path):
        self.reg_file = folder / "import.reg"  # one import at a time

    def import_lines(self, lines: list[str], bits: int):
        """The lines of a .reg file (keys and values), imported into one view."""
        text = "\r\n".join(["Windows Registry Editor Version 5.00", "", *lines]) + "\r\n"
        self.reg_file.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))
        # Wine's reg now and then fails an import on a busy machine; it is tried again.
        for _ in range(3):
            result = run_windows("reg", "import", windows_path(self.reg_file), f"/reg:{bits}", timeout=60)
            if result.returncode == 0:
                return
        raise AssertionError(f"reg import failed: {result.stdout!r} {result.stderr!r}")

    def add(self, key: str, name: str, java_home: Path | str, bits: int,
            hive: str = "HKEY_LOCAL_MACHINE", value: str = "JavaHome", below: str = ""):
        """A subkey name of the vendor key whose value names java_home; below is a path under
        the subkey that holds the value (hotspot\\MSI)."""
        home = java_home if isinstance(java_home, str) else windows_path(java_home)
        self.import_lines([f"[{hive}\\{key}\\{name}{chr(92) + below if below else ''}]",
                           f'"{value}"="' + home.replace("\\", "\\\\") + '"'], bits)


@pytest.fixture
def registry(tmp_path):
    """Every test starts and ends without any vendor key."""
    clear = [*RUNNER, str(REGISTRY_CLEAN), *(f"Software\\{vendor}" for vendor in VENDORS)]
    subprocess.run(clear, capture_output=True, timeout=60)
    yield Registry(tmp_path)
    subprocess.run(clear, capture_output=True, timeout=60)


def loaded_library(app: App) -> str | None:
    """The VM library the test runtime recorded last, None when none was loaded."""
    return (app.recorded("library") or [None])[-1]


HKLM = "HKEY_LOCAL_MACHINE"
# The registry keys a row may name: the key, the value naming the home, and the path below the
# version's subkey that holds the value. "HKCU:" before the name registers per user, "other:"
# in the other view (the twin's).
KEYS = {
    "JRE": (JRE, "JavaHome", ""),
    "JDK": ("Software\\JavaSoft\\Java Development Kit", "JavaHome", ""),
    "JRockitJRE": ("Software\\JRockit\\Java Runtime Environment", "JavaHome", ""),
    "JavaSoftJDK": ("Software\\JavaSoft\\JDK", "JavaHome", ""),
    "Temurin": ("Software\\Eclipse Adoptium\\JDK", "Path", "hotspot\\MSI"),
    "AdoptOpenJDK2018": ("Software\\AdoptOpenJDK\\JDK", "Path", "MSI"),
    "SapMachineJRE": ("Software\\SapMachine\\JRE", "JavaHome", ""),
    "Zulu": ("Software\\Azul Systems\\Zulu", "InstallationPath", ""),
    "Zulu32": ("Software\\Azul Systems\\Zulu 32-bit", "InstallationPath", ""),
}


def lay_out(app: App, home: Path, runtime: str) -> Path:
    """A runtime folder at home. runtime is a test runtime's name, or "kit" (a development kit
    holding bin\\javac.exe) or "kit8" (one of Java 8, its runtime in jre\\), or "none" (an empty
    folder), or one whose VM library does not load: "text", "twin" (the other
    architecture's), "arm64"; a version after it goes to a release file."""
    kind, _, version = runtime.partition(" ")
    if kind == "none":
        home.mkdir(parents=True)
        return home
    source = RUNTIMES[TWIN[app.executable]] / "client" if kind == "twin" else \
        app.runtime(kind if kind in ("client", "full", "server") else "client")
    runtime_at(home / "jre" if kind == "kit8" else home, source, version or None,
               copy=kind not in ("client", "full", "server", "twin"))
    library = home / "bin" / "client" / "jvm.dll"
    if kind in ("kit", "kit8"):
        touch(home / "bin" / "javac.exe")
    elif kind == "text":
        library.write_text("This is not a library.\n")
    elif kind == "arm64":
        data = bytearray(library.read_bytes())
        headers = int.from_bytes(data[0x3C:0x40], "little")
        data[headers + 4:headers + 6] = (0xAA64).to_bytes(2, "little")
        library.write_bytes(bytes(data))
    return home


@pytest.fixture
def program_files(executable):
    """The install folders of this executable's processor and of the other one; what a test puts
    in them is removed after it."""
    own, other = [PREFIX / "drive_c" / name for name in ("Program Files", "Program Files (x86)")]
    folders = {"folders": own, "other-folders": other} if OWN_BITS[executable] == 64 \
        else {"folders": other, "other-folders": own}
    before = {folder: set(folder.iterdir()) if folder.exists() else set() for folder in (own, other)}
    yield folders
    for folder, entries in before.items():
        for created in set(folder.iterdir()) - entries if folder.exists() else ():
            shutil.rmtree(created)


def row(entries, settings, chosen, trace="", id=None, marks=()):
    return pytest.param(entries, settings, chosen, trace, id=id, marks=marks)


OLD_AND_NEW = "JRE 1.8 full | Temurin 17.0.9.9 full | JavaSoftJDK 17 =17.0.9.9"
FOLDERS = "folders BellSoft/jre-21 client 21.0.1 | folders BellSoft/jdk-17 kit 17.0.9"
ARM64 = "JAVA_HOME arm-home arm64 21.0.1 | folders Zulu/zulu-22 arm64 22 | folders Zulu/zulu-17 client 17.0.9"
ARM64_PASSED_OVER = "bin\\client\\jvm.dll is built for ARM64, which neither this executable nor " \
                    "its twin can load"
PAIR = {"Pair Product": "{twin}", "Pair Return Code": "yes"}


# Each row: where runtimes lie, as "place name runtime" ("|" between them): a key of KEYS with
# the subkey's name, JAVA_HOME, or the install folders of this executable's processor (folders)
# or of the other one (other-folders) with a path below them; the name is the home folder's, and
# "=name" as runtime names the home of another entry. Then the INI's settings, the home whose VM
# library is loaded (None: no runtime is found), and a line the trace holds.
@pytest.mark.parametrize("entries,settings,chosen,trace", [
    row("JRE 1.8 full | JDK 1.7 kit8", {"JVM Source": "favor_JDK"}, "1.7", id="favor_JDK"),
    row("JRE 1.8 full | JRockitJRE 1.6 full", {"VM Provider": "jRockit"}, "1.6", id="JRockit"),
    row("JRE 1.8 client | JRE 1.7 server", {"JVM Type": "server"}, "1.7", id="server only"),
    row("JRE 1.8 full | JRE 1.7 full | JRE 1.6.0_45 full", {"Preferred versions": "1.6;1.7"},
        "1.6.0_45", id="preferred versions"),
    row("JRE 11 twin | JRE 1.8 client", {}, "1.8", id="newer one of the other architecture"),
    # The current vendors' keys, one row per layout of their entries (the unit tier holds the
    # key names and the kind each entry is).
    row("HKCU:Temurin 17.0.9.9 full", {}, "17.0.9.9", id="Temurin per user"),
    row("AdoptOpenJDK2018 8.0.212.4 full", {}, "8.0.212.4", id="AdoptOpenJDK before 2019"),
    row("SapMachineJRE 11.0.20.256 full 11.0.20.1", {"Maximum Version": "11.0.20.1"},
        "11.0.20.256", id="SapMachine encoded fourth part"),
    # The version in the release file, not the one in the name (17).
    row("Zulu zulu-17 full 17.0.9", {"Maximum Version": "17.0.5"}, None, id="Zulu above maximum"),
    row("Zulu zulu-17-jre full", {"JVM Source": "only_JRE"}, "zulu-17-jre", id="Zulu JRE"),
    row("Zulu32 zulu-11 full", {}, {"quorvane.exe": "zulu-11"}, id="Zulu 32-bit view only"),
    # The keys of old come first, unless they are ranked together with the current ones.
    row(OLD_AND_NEW, {}, "1.8", "not searched (the keys of old gave a runtime)", id="old first"),
    row(OLD_AND_NEW, {"Minimum Version": "9"}, "17.0.9.9", "now the current vendors' keys",
        id="old keys out of bounds"),
    row(OLD_AND_NEW, {"Runtime Search": "Together"}, "17.0.9.9", "duplicate of ", id="together"),
    row(OLD_AND_NEW, {"Runtime Search": "together", "Maximum Version": "11"}, "1.8",
        "ranked together with the keys of old", id="together, bounded"),
    # JAVA_HOME and the install folders, when the registry has nothing.
    row("JAVA_HOME home client 17.0.2", {}, "home", id="JAVA_HOME"),
    row("JAVA_HOME home client 17.0.2", {"Minimum Version": "18"}, None, id="JAVA_HOME too old"),
    row("JAVA_HOME home client 17.0.2", {"Runtime Search": "Classic"}, None, "the keys of old only",
        id="classic"),
    row("JAVA_HOME home kit8 1.8.0_392", {"JVM Source": "only_JDK"}, "jre", id="Java 8 kit, only_JDK"),
    row("JAVA_HOME home kit8 1.8.0_392", {"JVM Source": "only_JRE"}, None, id="Java 8 kit, only_JRE"),
    row("folders Adoptium/jdk-17 client 17.0.9 | JRE 1.8 client", {}, "1.8", id="install folders after the registry"),
    row(FOLDERS, {}, "jre-21", id="install folders, newest"),
    row(FOLDERS, {"JVM Source": "favor_JDK"}, "jdk-17", id="install folders, favor_JDK"),
    row(FOLDERS, {"VM Provider": "jrockit"}, None, id="install folders, JRockit"),
    row(FOLDERS, {"JVM Type": "server"}, None, id="install folders, server"),
    row(ARM64, {}, "zulu-17", ARM64_PASSED_OVER, id="ARM64 passed over in JAVA_HOME and install folders"),
    # A runtime of the other processor, in either install folder or in the other registry view,
    # needs the twin; the twin takes only a library of its own architecture.
    row("folders Java/jdk-Java twin 17.0.9", {}, None, "is built for the other processor and there "
        "is no Pair Product", id="other processor's runtime in install folders"),
    row("other-folders Zulu/jdk twin 17.0.9", {}, None, "install folders of the other processor in ",
        id="other processor's install folders"),
    row("other-folders Zulu/jdk twin 17.0.9", PAIR, "jdk", id="other processor's install folders, paired",
        marks=pytest.mark.needs_32_bit),
    row("other:JRE 1.8 twin", {}, None, id="other view"),
    row("other:JRE 11 full | other:JRE 1.8 twin", PAIR, "1.8", id="other view, paired",
        marks=pytest.mark.needs_32_bit),
])
def test_runtime_chosen(tmp_path, app, registry, program_files, entries, settings, chosen, trace):
    homes, env = {}, {"QZ_TRACE": "1"}
    for entry in entries.split(" | "):
        place, name, runtime = entry.split(" ", 2)
        home = homes[name] = homes[runtime[1:]] if runtime.startswith("=") else \
            lay_out(app, program_files.get(place, tmp_path) / name, runtime)
        if place == "JAVA_HOME":
            env["JAVA_HOME"] = windows_path(home)
        elif place not in program_files:
            key, value, below = KEYS[place.split(":")[-1]]
            hive = "HKEY_CURRENT_USER" if place.startswith("HKCU:") else HKLM
            view = TWIN[app.executable] if place.startswith("other:") else app.executable
            registry.add(key, name, home, OWN_BITS[view], hive, value, below)
    twin = App(app.folder, TWIN[app.executable])
    for launcher in (app, twin):
        launcher.configure(runtime=None, **{k: v.format(twin=windows_path(twin.exe))
                                            for k, v in settings.items()})
    result = app.run(env=env)
    chosen = chosen.get(app.executable) if isinstance(chosen, dict) else chosen
    if chosen is None:
        assert (result.returncode, loaded_library(app)) == (MINUS_ONE, None) and \
            b"was not found" in result.stdout, result.stdout + result.stderr
    else:
        assert result.returncode == 0 and f"\\{chosen}\\" in loaded_library(app), result.stdout + result.stderr
    assert trace in result.stderr.decode()


def string_value(text: str) -> str:
    return '"JavaHome"="' + text.replace("\\", "\\\\") + '"'


# Each case: a subkey of the runtime key and its JavaHome line, made from the Windows path of
# the server runtime's folder; and the runtime used: that one, or the client runtime registered
# as 1.8 beside it. Only a string value names a home, whatever the bytes of another type spell.
@pytest.mark.parametrize("version,java_home,used", [
    ("1.9", lambda home: string_value("Z:\\" + "a" * 32764), "client"),
    ("1.9", lambda home: string_value(home + "\\" * (32767 - len(home))), "server"),
    ("1.9", lambda home: '"JavaHome"=hex:' + home.encode("utf-16-le").hex(","), "client"),
    # Windows allows key names of 255 characters at most.
    ("1.9" + "x" * 252, string_value, "server"),
], ids=["64 KB naming nothing", "64 KB of a runtime and separators",
        "REG_BINARY spelling a runtime", "subkey name of 255 characters"])
def test_registry_values(tmp_path, app, registry, version, java_home, used):
    homes = {kind: runtime_at(tmp_path / kind, app.runtime(kind)) for kind in ("server", "client")}
    registry.import_lines([f"[{HKLM}\\{JRE}\\1.8]", string_value(windows_path(homes["client"])),
                           f"[{HKLM}\\{JRE}\\{version}]", java_home(windows_path(homes["server"]))],
                          OWN_BITS[app.executable])
    app.configure(runtime=None)
    assert (app.run().returncode, loaded_library(app)) == (0, f"{windows_path(homes[used])}\\bin\\{used}\\jvm.dll")


def test_ten_thousand_registered_runtimes(tmp_path, app, registry):
    # Names sort apart from versions ("10000.0" lists fifth) and every seventh has no JavaHome:
    # the newest one that has a runtime wins.
    lines = []
    for major in range(1, 10_001):
        lines.append(f"[{HKLM}\\{JRE}\\{major}.0]")
        if major % 7:
            lines.append(string_value(windows_path(runtime_at(tmp_path / f"h{major}", app.runtime("client")))))
    registry.import_lines(lines, OWN_BITS[app.executable])
    app.configure(runtime=None)
    assert (app.run().returncode, loaded_library(app)) == \
        (0, windows_path(tmp_path / "h10000") + "\\bin\\client\\jvm.dll")


# Each case: "JRE Path", made from {tmp} (the test's folder: its empty\ has bin\ but no VM
# library, its rt\ and its 300-character {long} folder a client runtime), {full} (a runtime of both
# VMs) and {shipped} (jre64\ of the 64-bit executable, jre\ of the 32-bit one); the INI's settings;
# the runtime laid out beside the executable ("." : its own folder is one); and the runtime folder
# whose VM library is loaded, full and normalised, and its VM. The registry names a runtime too, and
# the user starts from a folder that is a runtime itself: neither a relative "JRE Path" nor the
# shipped runtime's lookup may pick that one up.
@pytest.mark.parametrize("jre_path,settings,beside,home,vm", [
    ("{tmp}\\empty", {}, None, "{tmp}\\registered", "client"),
    ("rt", {}, "rt", "{tmp}\\registered", "client"),
    ("rt", {"Override WorkingDir": "yes"}, "rt", "{tmp}\\app\\rt", "client"),
    ("", {}, "{shipped}", "{tmp}\\app\\{shipped}", "client"),
    ("", {}, ".", "{tmp}\\app", "client"),
    ("../rt//", {"Override WorkingDir": "yes"}, None, "{tmp}\\rt", "client"),
    ("{long}", {}, None, "{long}", "client"),
    ("{full}", {"JVM Type": "favor_server"}, None, "{full}", "server"),
    ("{tmp}\\rt", {"JVM Type": "server"}, None, "{tmp}\\registered", "server"),
], ids=["JRE Path without a VM library", "relative JRE Path from elsewhere",
        "relative JRE Path, Override WorkingDir", "shipped runtime", "executable inside a runtime",
        "relative with forward slashes", "a 300-character folder", "favor_server",
        "server VM wanted, client VM only"])
def test_runtime_folder_before_the_registry(tmp_path, executable, registry, jre_path, settings,
                                            beside, home, vm):
    shipped = "jre64" if executable == "quorvane64.exe" else "jre"
    if beside:  # a copy where the executable goes too, a link elsewhere
        runtime_at(tmp_path / "app" / beside.format(shipped=shipped),
                   RUNTIMES[executable] / "client", copy=beside == ".")
    app = App(tmp_path / "app", executable)
    registry.add(JRE, "1.8", runtime_at(tmp_path / "registered", app.runtime("full")),
                 OWN_BITS[executable])
    (tmp_path / "empty" / "bin").mkdir(parents=True)
    runtime_at(tmp_path / "rt", app.runtime("client"))
    long = runtime_at(long_folder(tmp_path / "long", 300), app.runtime("client"))
    places = {"tmp": windows_path(tmp_path), "long": windows_path(long), "shipped": shipped,
              "full": windows_path(app.runtime("full"))}
    app.configure(runtime=None, JRE_Path=jre_path.format(**places), **settings)
    result = app.run("x", cwd=runtime_at(tmp_path / "elsewhere", app.runtime("client")))
    home = home.format(**places)
    library = f"{home}\\bin\\{vm}\\jvm.dll"
    assert (result.returncode, result.stdout, result.stderr, app.recorded("library")) == \
        (0, b"args: 1\r\nx\r\n", b"stderr: echo\r\n", [library])
    published = [e for e in app.recorded("env") if e.startswith(("QZ_JVM_PATH=", "QZ_JVM_HOME="))]
    assert sorted(published) == [f"QZ_JVM_HOME={home}", f"QZ_JVM_PATH={library}"]


@pytest.mark.needs_32_bit
@pytest.mark.parametrize("pair_return_code,expected", [("yes", 9), ("no", 0)])
def test_pair_return_code(tmp_path, executable, pair_return_code, expected):
    app, twin = App(tmp_path / "pair", executable), App(tmp_path / "pair", TWIN[executable])
    app.configure(runtime=None, JRE_Path=windows_path(twin.runtime("full")), Pair_Product=windows_path(twin.exe),
                  Pair_Return_Code=pair_return_code)
    twin.configure("test.Exit")
    result = app.run(env={"QZ_TEST_JAVA_OPTIONS": "-Dtest.exit.code=9 -Dtest.wait.ms=0"})
    assert result.returncode == expected


def test_trace_tells_why_each_candidate_was_taken_or_passed_over(tmp_path, app, registry):
    bits = OWN_BITS[app.executable]
    for version, home in [("11", "text"), ("1.5", "client"), ("10", "none"), ("1.8", "client")]:
        registry.add(JRE, version, lay_out(app, tmp_path / f"{home}-{version}", home), bits)
    registry.add(JRE, "9", "rt", bits)
    app.configure(runtime=None, Minimum_Version="1.6")
    result = app.run("a", env={"QZ_TRACE": "1"})
    assert result.returncode == 0, result.stderr
    trace = result.stderr.decode("utf-8").replace("\r\n", "\n")
    view = f"registry {bits}-bit view HKLM\\{JRE}"
    empty, good = windows_path(tmp_path / "none-10"), windows_path(tmp_path / "client-1.8")
    for line in [
        f"trace: configuration file {windows_path(app.ini)}: read",
        "trace: JRE Path: not set",
        f"trace: {view}\\11: passed over, {windows_path(tmp_path / 'text-11')}\\bin\\client\\jvm.dll "
        "is not a loadable image for this view",
        f"trace: {view}\\1.5: passed over, version 1.5 outside Minimum Version 1.6 and Maximum "
        "Version any",
        f'trace: {view}\\9: passed over, JavaHome "rt" is not a full path',
        f"trace: {view}\\10: passed over, no VM library: tried {empty}\\bin\\client\\jvm.dll, "
        f"{empty}\\bin\\classic\\jvm.dll, {empty}\\bin\\hotspot\\jvm.dll, "
        f"{empty}\\bin\\server\\jvm.dll, {empty}\\bin\\jrockit\\jvm.dll",
        f"trace: {view}\\1.8: candidate 1.8 at {good}\\ (favoured)",
        f"trace: ranked 1: 1.8 at {good}\\",
        "trace: chosen: ranked 1 (no Preferred versions)",
        f"trace: chosen VM library: {good}\\bin\\client\\jvm.dll",
        f"trace: VM option: -Djava.class.path={windows_path(app.folder)}\\app.jar;",
        "trace: main class test/Echo: loaded by the JDK's launcher helper",
        "trace: main class test/Echo: calling static main(String[])",
        "trace: exit code 0: main returned and its thread left the VM",
    ]:
        assert line + "\n" in trace, line


def test_trace_to_a_file_names_an_unreadable_configuration(tmp_path, app):
    trace_file = tmp_path / "trace.txt"
    app.ini.mkdir()  # present, but no file the profile functions can read: no main class then
    result = app.run(env={"QZ_TRACE": windows_path(trace_file)})
    assert (result.returncode, result.stdout, result.stderr) == (MINUS_ONE, MAIN_CLASS_MISSING, b"")
    trace = trace_file.read_bytes().decode("utf-8")
    assert re.search(re.escape(f"trace: configuration file {windows_path(app.ini)}: present but "
                               "unreadable, ") + r"[^\r\n]+ \(error 5\)\r\n", trace), trace
    assert trace.endswith("trace: exit code -1: the launch ended during start-up (see above)\r\n")
