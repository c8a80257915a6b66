"""Finding a runtime: the values "JRE Path" takes, and without (or past) it the runtime shipped
beside the executable, the runtimes registered in the registry of either view, and the hand-over
to the twin executable."""

import re
import shutil
from pathlib import Path

import pytest

from conftest import JRE, MINUS_ONE, NOT_FOUND, OWN_BITS, PREFIX, RUNTIMES, TWIN, App, \
    loaded_library, long_folder, runtime_copy, windows_path, windows_tool, write_main_ini

JDK = "Software\\JavaSoft\\Java Development Kit"
JROCKIT_JRE = "Software\\JRockit\\Java Runtime Environment"
JROCKIT_JDK = "Software\\JRockit\\Java Development Kit"
IBM = "Software\\IBM\\Java2 Runtime Environment"


@pytest.mark.parametrize("registered,settings,chosen", [
    ([(JRE, "1.7.0_80", "full"), (JRE, "1.8.0_60", "full"), (JRE, "1.8", "full")], {}, "1.8.0_60"),
    ([(JRE, "1.8", "full"), (JDK, "1.7", "full")], {"JVM Source": "favor_JDK"}, "1.7"),
    ([(JRE, "1.8", "full"), (JDK, "1.7", "full")], {"JVM Source": "only_JDK"}, "1.7"),
    ([(JRE, "1.8", "full"), (JDK, "1.9", None)], {"JVM Source": "only_JDK"}, None),
    ([(JRE, "1.8", "full")], {"JVM Source": "JRE"}, None),
    ([(JRE, "1.8", "full"), (JROCKIT_JRE, "1.6", "full"), (JROCKIT_JDK, "1.5", "full"),
      (IBM, "1.7", "full")], {"VM Provider": "jRockit"}, "1.6"),
    ([(JRE, "1.8", "client"), (JRE, "1.7", "server")], {"JVM Type": "server"}, "1.7"),
    ([(JRE, "1.8", "full"), (JRE, "1.7", "full"), (JRE, "1.6.0_45", "full")],
     {"Preferred versions": "1.6;1.7"}, "1.6.0_45"),
    ([(JRE, "1.8", "full"), (JRE, "11", "full")], {"Maximum Version": "1.8"}, "1.8"),
    ([(JRE, "1.8", "full"), (JRE, "11", "full")], {"Maximum Version": ""}, "11"),
    ([(JRE, "1.8", "full"), (JRE, "11", "full")], {"Minimum Version": "12"}, None),
], ids=["newest", "favor_JDK", "only_JDK", "kit without jre", "unknown JVM Source", "JRockit",
        "server only", "preferred versions", "maximum", "empty maximum", "minimum"])
def test_registered_runtimes_are_filtered_and_ranked(tmp_path, app, registry, registered, settings,
                                                     chosen):
    for key, version, runtime in registered:
        home = tmp_path / f"{key.split(chr(92))[1]}-{version}"
        if runtime is None:
            home.mkdir()  # a kit without a runtime inside
        else:
            runtime_copy(home, app.runtime(runtime), kit=key.endswith("Development Kit"))
        registry.add(key, version, home, bits=OWN_BITS[app.executable])
    write_main_ini(app, **settings)
    result = app.run()
    if chosen is None:
        assert result.returncode == MINUS_ONE
        assert loaded_library(app) is None
    else:
        assert result.returncode == 0, result.stdout + result.stderr
        assert f"-{chosen}\\" in loaded_library(app)


def test_search_order_jre_path_then_shipped_then_registry(tmp_path, executable, registry):
    app = App(tmp_path / "app", executable)
    registered = runtime_copy(tmp_path / "registered", App(tmp_path / "x", executable).runtime("full"))
    registry.add(JRE, "1.8", registered, bits=OWN_BITS[executable])
    empty_runtime = tmp_path / "no-vm"
    (empty_runtime / "bin").mkdir(parents=True)
    write_main_ini(app, **{"JRE Path": windows_path(empty_runtime)})
    # A "JRE Path" without a VM library falls through to the registry...
    assert app.run().returncode == 0
    assert "\\registered\\" in loaded_library(app)
    # ...but a shipped runtime folder beside the executable comes before it.
    shipped = "jre64" if executable == "quorvane64.exe" else "jre"
    runtime_copy(app.folder / shipped, app.runtime("client"))
    assert app.run().returncode == 0
    assert f"\\app\\{shipped}\\bin\\client\\jvm.dll" in loaded_library(app)


def test_executable_inside_a_runtime_uses_it(tmp_path, executable, registry):
    runtime = tmp_path / "runtime"
    shutil.copytree(RUNTIMES[executable] / "server", runtime)
    app = App(runtime, executable)
    write_main_ini(app)
    result = app.run()
    assert result.returncode == 0
    assert loaded_library(app).endswith("\\runtime\\bin\\server\\jvm.dll")
    library = windows_path(runtime / "bin" / "server" / "jvm.dll")
    assert f"QZ_JVM_PATH={library}" in app.recorded("env")
    assert f"QZ_JVM_HOME={windows_path(runtime)}" in app.recorded("env")


@pytest.fixture
def pair(tmp_path, executable):
    """Both executables in one folder, each with its own INI."""
    app = App(tmp_path / "pair", executable)
    twin = App(tmp_path / "pair", TWIN[executable])
    return app, twin


@pytest.mark.parametrize("pair_return_code,expected", [("yes", 9), ("YES", 9), ("no", 0), ("", 0)])
def test_pair_return_code(pair, pair_return_code, expected):
    app, twin = pair
    foreign = windows_path(twin.runtime("full"))
    write_main_ini(app, **{"JRE Path": foreign, "Pair Product": windows_path(twin.exe),
                           "Pair Return Code": pair_return_code})
    write_main_ini(twin, **{"JRE Path": foreign})
    twin.write_ini(twin.ini.read_text().replace("test.Echo", "test.Exit"))
    result = app.run(env={"QZ_TEST_JAVA_OPTIONS": "-Dtest.exit.code=9 -Dtest.wait.ms=0"})
    assert result.returncode == expected


def test_per_user_jre_path_hides_the_one_beside_the_executable(tmp_path, app):
    appdata = windows_tool("cmd", "/c", "echo %APPDATA%").stdout.decode().strip()
    user_folder = PREFIX / "drive_c" / appdata[3:].replace("\\", "/") / f"Quorvane Test {tmp_path.name}"
    per_user = user_folder / "code" / app.exe.with_suffix(".ini").name
    per_user.parent.mkdir(parents=True)
    try:
        app.write_ini("[Product Information]\nProduct Name=Quorvane Test: " + tmp_path.name +
                      "\nProduct Code=code\n[Java Runtime Environment]\nMain Class=test.Echo\n"
                      f"JRE Path={windows_path(app.runtime('client'))}\n")
        app.write_ini("[Java Runtime Environment]\nJRE Path=" + windows_path(app.runtime("server")) + "\n",
                      path=per_user)
        assert app.run().returncode == 0
        assert loaded_library(app).endswith("\\server\\bin\\server\\jvm.dll")
        # A per-user file without the key still hides it.
        app.write_ini("[Java Runtime Environment]\n", path=per_user)
        assert app.run().returncode == MINUS_ONE
    finally:
        shutil.rmtree(user_folder)


def test_working_directory_and_a_planted_library(tmp_path, app, registry):
    elsewhere = tmp_path / "elsewhere"
    # A runtime in the directory the user starts from is never picked up by accident.
    runtime_copy(elsewhere, app.runtime("client"))
    write_main_ini(app)
    assert app.run(cwd=elsewhere).returncode == MINUS_ONE
    assert loaded_library(app) is None
    # A relative "JRE Path" counts from the current directory, which "Override WorkingDir"
    # makes the executable's own folder.
    runtime_copy(app.folder / "rt", app.runtime("client"))
    app.write_ini("[Java Runtime Environment]\nMain Class=test.Echo\nJRE Path=rt\n")
    assert app.run(cwd=elsewhere).returncode == MINUS_ONE
    app.write_ini("[Java Runtime Environment]\nMain Class=test.Echo\nJRE Path=rt\n"
                  "[Application]\nOverride WorkingDir=yes\n")
    assert app.run(cwd=elsewhere).returncode == 0
    assert loaded_library(app).endswith("\\app\\rt\\bin\\client\\jvm.dll")


def broken_runtime(folder: Path, kind: str, twin_runtime: Path) -> Path:
    """A runtime folder whose newest-looking VM library cannot be loaded by its launcher."""
    library = folder / "bin" / "client" / "jvm.dll"
    library.parent.mkdir(parents=True)
    (folder / "bin" / "java.dll").write_text("marker\n")
    if kind == "text":
        library.write_text("This is not a library.\n")
    elif kind == "folder":
        library.mkdir()
    else:  # a library of the other architecture
        shutil.copyfile(twin_runtime / "bin" / "client" / "jvm.dll", library)
    return folder


# A text file: the trace test passes over one; an empty or cut file is a header rule of the unit
# tier.
@pytest.mark.parametrize("kind", ["folder", "other architecture"])
def test_unloadable_registered_runtime_yields_to_an_older_one(tmp_path, app, registry, kind):
    twin = App(tmp_path / "twin", TWIN[app.executable])
    bits = OWN_BITS[app.executable]
    registry.add(JRE, "11", broken_runtime(tmp_path / "broken", kind, twin.runtime("full")), bits=bits)
    registry.add(JRE, "1.8", runtime_copy(tmp_path / "working", app.runtime("client")), bits=bits)
    write_main_ini(app)
    result = app.run()
    assert result.returncode == 0, result.stdout
    assert "\\working\\bin\\client\\jvm.dll" in loaded_library(app)


def test_other_view_takes_only_libraries_of_the_twin(pair, registry, tmp_path):
    app, twin = pair
    twin_bits = OWN_BITS[twin.executable]
    # In the twin's view a newer runtime of this executable's own architecture is as useless to
    # the twin as a broken one.
    registry.add(JRE, "11", runtime_copy(tmp_path / "mine", app.runtime("full")), bits=twin_bits)
    registry.add(JRE, "1.8", runtime_copy(tmp_path / "twins", twin.runtime("full")), bits=twin_bits)
    for launcher in (app, twin):
        write_main_ini(launcher, **{"Pair Product": windows_path(twin.exe), "Pair Return Code": "yes"})
    result = app.run("one", "two words")
    assert (result.returncode, result.stdout) == (0, b"args: 2\r\none\r\ntwo words\r\n")
    assert "\\twins\\bin\\client\\jvm.dll" in loaded_library(app)
    # Without "Pair Product" the other view is never searched.
    write_main_ini(app)
    assert app.run().returncode == MINUS_ONE


@pytest.fixture
def drive_r(tmp_path):
    """Drive R: names a folder of the test (what `subst R: <folder>` does on Windows; Wine keeps
    its drives as links in the prefix)."""
    link = PREFIX / "dosdevices" / "r:"
    target = tmp_path / "drive-r"
    target.mkdir()
    if link.is_symlink():
        link.unlink()
    link.symlink_to(target)
    yield target
    link.unlink()


# Each case: the value, made from {up} (a runtime folder beside the executable's folder, which is
# the current directory), {app} (the executable's folder, holding a runtime rt) and {long} (a
# runtime folder whose path has 300 characters); and the runtime folder that is used, full and
# normalised (None: no runtime is found). Drive R: holds a runtime too.
@pytest.mark.parametrize("value,home", [
    ("{up}\\bin\\client\\jvm.dll", None),
    ("Z:\\", None),
    ("no such runtime", None),
    ("..\\rt", "{up}"),
    ("rt" + "\\" * 5000, "{app}\\rt"),
    ("{app}\\rt\\\\\\", "{app}\\rt"),
    ("{long}", "{long}"),
    ("{up_slashes}/", "{up}"),
    ("../rt//", "{up}"),
    ("R:", "R:\\"),
    ("R:\\\\", "R:\\"),
], ids=["the VM library file", "a drive root without a runtime", "a relative folder that does not "
        "exist", "a relative folder a level up", "relative with a run of separators",
        "full with separators", "a 300-character folder", "forward slashes",
        "relative with forward slashes", "drive root", "drive root with separators"])
def test_jre_path(tmp_path, app, registry, drive_r, value, home):
    up = runtime_copy(tmp_path / "rt", app.runtime("client"))
    runtime_copy(app.folder / "rt", app.runtime("client"))
    long = runtime_copy(long_folder(tmp_path / "long", 300), app.runtime("client"))
    shutil.copytree(app.runtime("client"), drive_r, dirs_exist_ok=True)
    places = {"up": windows_path(up), "up_slashes": windows_path(up).replace("\\", "/"),
              "app": windows_path(app.folder), "long": windows_path(long)}
    write_main_ini(app, **{"JRE Path": value.format(**places)})
    result = app.run("x", cwd=app.folder)
    if home is None:
        assert (result.returncode, result.stdout, result.stderr) == (MINUS_ONE, NOT_FOUND, b"")
        assert loaded_library(app) is None
        return
    home = home.format(**places)
    library = home.rstrip("\\") + "\\bin\\client\\jvm.dll"
    assert (result.returncode, result.stdout, result.stderr) == \
        (0, b"args: 1\r\nx\r\n", b"stderr: echo\r\n")
    assert app.recorded("library") == [library]
    published = [e for e in app.recorded("env") if e.startswith(("QZ_JVM_PATH=", "QZ_JVM_HOME="))]
    assert sorted(published) == [f"QZ_JVM_HOME={home}", f"QZ_JVM_PATH={library}"]


def test_trace_tells_why_each_candidate_was_taken_or_passed_over(tmp_path, app, registry):
    bits = OWN_BITS[app.executable]
    twin = App(tmp_path / "twin", TWIN[app.executable])
    registry.add(JRE, "11", broken_runtime(tmp_path / "text", "text", twin.runtime("full")), bits=bits)
    registry.add(JRE, "1.5", runtime_copy(tmp_path / "old", app.runtime("client")), bits=bits)
    registry.add(JRE, "9", "rt", bits=bits)
    (tmp_path / "empty" / "bin").mkdir(parents=True)
    registry.add(JRE, "10", tmp_path / "empty", bits=bits)
    registry.add(JRE, "1.8", runtime_copy(tmp_path / "good", app.runtime("client")), bits=bits)
    write_main_ini(app, **{"Minimum Version": "1.6"})
    result = app.run("a", env={"QZ_TRACE": "1"})
    assert result.returncode == 0, result.stderr
    trace = result.stderr.decode("utf-8").replace("\r\n", "\n")
    view = f"registry {bits}-bit view HKLM\\{JRE}"
    empty, good = windows_path(tmp_path / "empty"), windows_path(tmp_path / "good")
    for line in [
        f"trace: configuration file {windows_path(app.ini)}: read",
        "trace: JRE Path: not set",
        f"trace: {view}\\11: passed over, {windows_path(tmp_path / 'text')}\\bin\\client\\jvm.dll "
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
    # Off, nothing of it: the program's own standard error only.
    assert app.run("a").stderr == b"stderr: echo\r\n"


def test_trace_to_a_file_names_an_unreadable_configuration(tmp_path, app):
    trace_file = tmp_path / "trace.txt"
    app.ini.mkdir()  # present, but no file the profile functions can read
    result = app.run(env={"QZ_TRACE": windows_path(trace_file)})
    assert result.returncode == MINUS_ONE
    assert result.stderr == b""
    trace = trace_file.read_bytes().decode("utf-8")
    assert re.search(re.escape(f"trace: configuration file {windows_path(app.ini)}: present but "
                               "unreadable, ") + r"[^\r\n]+ \(error 5\)\r\n", trace), trace
    assert trace.endswith("trace: exit code -1: the launch ended during start-up (see above)\r\n")
