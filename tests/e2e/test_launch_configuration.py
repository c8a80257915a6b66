"""What the VM is handed and what main gets: the class path, the VM parameters, the library path
and "Path", the redirected standard streams and the "Cmd" arguments."""

import fnmatch
import os
import re
import time
from pathlib import Path

import pytest

from conftest import PREFIX, App, end_processes_in, long_folder, runtime_at, touch, windows_path

ECHO = b"stderr: echo\r\n"


def options(app: App) -> list[str]:
    return [option for option in app.recorded("option") if not option.endswith("[hook]")]


# Each case: the class path, the files made beside the executable, the environment, and the
# class path the VM gets after the executable itself ("Embedded Jar"), as fnmatch patterns.
# {folder} is the executable's folder and {long} a folder of 300 characters holding x.jar and
# sub\, each also with "/" ({folder/}, {long/}). The long form of each kind of path (UNC, "/") is
# a case of the unit and win tiers.
CLASS_PATHS = {
    # A relative entry that names no file is left out; each kept entry is followed by ";".
    "entry forms": ("C:\\lib\\a.jar;\\missing.jar;\\app.jar;\\\\server\\share\\x.jar;"
                    "%QZ_TEST_EXTRA%\\x.jar;;", ["app.jar", "extra/x.jar"],
                    {"QZ_TEST_EXTRA": "{folder}\\extra"},
                    ["C:\\lib\\a.jar", "{folder}\\app.jar", "\\\\server\\share\\x.jar",
                     "{folder}\\extra\\x.jar"]),
    # In the file system's order; the folder wildcard lists folders too, but never . or ..
    "wildcards": ("\\lib\\*.jar;\\lib\\*", ["lib/b.jar", "lib/c.jar", "lib/classes/k.class"], {},
                  ["{folder}\\lib\\[bc].jar"] * 2 + ["{folder}\\lib\\[bc]*"] * 3),
    "forward slashes": ("/lib/b.jar;{folder/}/lib/*.jar", ["lib/b.jar"], {},
                        ["{folder}/lib/b.jar", "{folder/}/lib/b.jar"]),
    "a pattern beyond 260 units with ..": ("{long}\\sub\\..\\*.jar", [], {}, ["{long}\\sub\\..\\x.jar"]),
    # The system cuts the expansion at 32 766 characters: the cut name would be another file.
    "an expansion past the system's limit": (
        "%QZ_TEST_LONG%\\x.jar;\\app.jar", ["app.jar"], {"QZ_TEST_LONG": "C:\\" + "a" * 32762},
        ["{folder}\\app.jar"]),
    # The VM would split the name at the ";": it gets the 8.3 name.
    "a jar whose name holds ;": ("\\lib\\*.jar", ["lib/a;b.jar"], {},
                                 ["{folder}\\lib\\A_B~*.JAR"]),
}


@pytest.mark.parametrize("case", list(CLASS_PATHS))
def test_class_path_forms(tmp_path, app, case):
    class_path, files, env, expected = CLASS_PATHS[case]
    long = long_folder(tmp_path / "long", 300)
    (long / "sub").mkdir(parents=True)
    touch(long / "x.jar", *(app.folder / name for name in files))
    places = {"folder": windows_path(app.folder), "long": windows_path(long)}
    places.update({f"{name}/": place.replace("\\", "/") for name, place in list(places.items())})
    app.configure(runtime="client", Class_Path=class_path.format_map(places), Embedded_Jar="YES")
    result = app.run(env={name: value.format_map(places) for name, value in env.items()})
    assert (result.returncode, result.stdout) == (0, b"args: 0\r\n")
    [option] = options(app)
    entries = option[len("-Djava.class.path="):].split(";")
    patterns = [windows_path(app.exe)] + [pattern.format_map(places) for pattern in expected]
    assert entries[-1] == "" and len(entries) - 1 == len(patterns), entries
    assert all(fnmatch.fnmatchcase(entry, pattern) for entry, pattern in zip(entries, patterns)), entries


def test_plus_sections_supply_values_as_written(app):
    # Keys that are empty in their own section are taken whole from the "+" section.
    app.write_ini("[Java Runtime Environment]\nMain Class=\nJRE Path=\n"
                  "[Java Runtime Environment+]\nMain Class=test.Throws\n"
                  f"JRE Path={windows_path(app.runtime('client'))}\n"
                  "[Application+]\nFailure Check=Yes\n")
    assert (app.run().returncode, app.recorded("library"), app.recorded("lookup")) == (
        0, [f"{windows_path(app.runtime('client'))}\\bin\\client\\jvm.dll"], ["LauncherHelper test.Throws"])
    assert app.recorded("exception-text")


# Each case: "Virtual Machine Parameters", the options the VM gets after the class path, the stack
# that the thread running main reserves (without -Xss the one the VM's default arguments name, 1 MB
# in the test runtime; 2 MB is the executables' own default) and the trace line on it ({top}: the
# largest size of the executable's word). Every case has the same "Cmd".
VM_PARAMETERS = {
    "none: the VM's default stack": ("", [], 1 << 20, None),
    # No empty option (the leading blank, the empty quotes): a VM refuses one. Half of what even
    # a 32-bit process sees of a machine of more than 2 GB is capped at 1000 MB.
    "forms and variables": (' -Xmx50:256:1000P -Dapp.home="C:\\My App" -Dhome=%QZ_TEST_HOME% "" '
                            '-Xss4m', ["-Xmx1024000K", "-Dapp.home=C:\\My App", "-Dhome=Z:\\h",
                                       "-Xss4m"], 4 << 20, None),
    # Reserved, not committed: otherwise the executable's default would be the reservation.
    "a stack below the default": ("-Xss1536k", ["-Xss1536k"], 1536 << 10, None),
    # Saturated: the system cannot reserve it, and must not be asked.
    "a stack beyond the word": ("-Xss99999999999999999999", ["-Xss99999999999999999999"], 2 << 20,
                                "trace: run thread: a stack of {top} bytes cannot be had "
                                "(error 8): the executable's default stack instead"),
}


@pytest.mark.parametrize("case", list(VM_PARAMETERS))
def test_vm_parameters_cmd_arguments_and_the_run_thread_stack(app, case):
    parameters, expected, reserve, trace = VM_PARAMETERS[case]
    app.configure(runtime="client", Virtual_Machine_Parameters=parameters,
                  Cmd='--profile "two words" "" %QZ_TEST_LAST%')
    result = app.run("first", env={"QZ_TRACE": "1", "QZ_TEST_HOME": "Z:\\h", "QZ_TEST_LAST": "last"})
    # The "Cmd" arguments follow the command line's.
    assert (result.returncode, result.stdout) == (
        0, b"args: 4\r\nfirst\r\n--profile\r\ntwo words\r\nlast\r\n")
    assert (options(app)[1:], app.recorded("create-thread"), app.recorded("stack-reserve")) == \
        (expected, ["other"], [str(reserve)])
    lines = [line for line in result.stderr.decode().splitlines()
             if line.startswith("trace: run thread")]
    top = (1 << (64 if app.executable.startswith("quorvane64") else 32)) - 1
    assert lines == ([] if trace is None else [trace.format(top=top)])


# The variable that gives the program its Path: PATH on Windows; here PATH is Wine's own, and Wine
# puts a "Path" it is handed in front of the Windows one.
PATH_VARIABLE = "PATH" if os.name == "nt" else "Path"


def recorded_path(app: App) -> str:
    [path] = [entry[len("Path="):] for entry in app.recorded("env") if entry.startswith("Path=")]
    return path


def test_library_path_and_a_path_that_is_never_cut(app):
    """"System Path" goes in front of the Path and the runtime's bin folder at its end; where that
    would be too long for the system, the Path stays as it was."""
    runtime = windows_path(app.runtime("client"))
    bin_folder = f";{runtime}\\bin"
    app.configure(runtime="client", Library_Path="native", System_Path="Z:\\tools;")
    assert app.run(env={PATH_VARIABLE: "C:\\x"}).returncode == 0
    path = recorded_path(app)
    assert path.startswith("Z:\\tools;C:\\x;") and path.endswith(bin_folder)
    old_path = path[len("Z:\\tools;"):-len(bin_folder)]
    assert "%" not in old_path
    # The library-path option comes first, with the Path as it was before the change.
    assert options(app)[0] == (f"-Djava.library.path=native;{windows_path(app.folder)}\\;.;"
                               f"{old_path};{runtime}\\lib")
    # What the program's Path holds beside the one it is given (Wine adds its own), then a Path
    # that fills the limit with the bin folder, and one a unit beyond.
    fill = 32766 - (len(old_path) - len("C:\\x")) - len(bin_folder) - len("C:\\")
    app.configure(runtime="client")
    for beyond in (0, 1):
        app.record_file.unlink()
        given = "C:\\" + "p" * (fill + beyond)
        result = app.run(env={PATH_VARIABLE: given, "QZ_TRACE": "1"})
        assert (result.returncode, result.stdout) == (0, b"args: 0\r\n")
        path = recorded_path(app)
        assert path.startswith(given) and len(path) == (32767 - len(bin_folder) if beyond else 32766)
        lines = [line for line in result.stderr.decode().splitlines() if line.startswith("trace: Path")]
        assert lines == ([] if not beyond else [
            "trace: Path: 32767 characters with the runtime's bin folder, more than the system's "
            "32766: Path stays as it was"])


# The executable's own folder, path and base name in every key that expands variables, from a
# folder with blanks and from one the ANSI code page cannot spell (the VM then gets the 8.3 form,
# of a plain entry and of a wildcard's matches alike); a value the caller set is replaced, and the
# program sees them.
@pytest.mark.parametrize("folder", ["My App", "Приложение"])
def test_the_executables_own_paths_in_every_key(tmp_path, executable, folder):
    app = App(tmp_path / folder, executable)
    touch(app.folder / "app.jar", app.folder / "native" / "x.dll")
    app.configure(runtime="client", Class_Path="%QZ_EXE_DIR%\\app.jar;%QZ_EXE_DIR%\\*.jar",
                  Virtual_Machine_Parameters="-Dhome=%QZ_EXE_DIR% -Dexe=%qz_exe_path%",
                  Library_Path="%QZ_EXE_DIR%\\native", System_Path="%QZ_EXE_DIR%\\bin",
                  Cmd='%QZ_EXE_NAME% "%QZ_EXE_DIR%"', Output_File="%QZ_EXE_DIR%\\out.log",
                  Error_File="%QZ_EXE_DIR%\\err.log")
    result = app.run(env={"QZ_EXE_DIR": "C:\\elsewhere"})
    home, name = windows_path(app.folder), executable.removesuffix(".exe")
    assert (result.returncode, result.stdout, result.stderr) == (0, b"", b"")
    assert (app.folder / "out.log").read_bytes() == f"args: 2\r\n{name}\r\n{home}\r\n".encode()
    assert (app.folder / "err.log").read_bytes() == ECHO
    assert [entry for entry in app.recorded("env") if entry.startswith("QZ_EXE")] == [
        f"QZ_EXE_DIR={home}", f"QZ_EXE_PATH={windows_path(app.exe)}", f"QZ_EXE_NAME={name}"]
    assert recorded_path(app).startswith(f"{home}\\bin;")
    library, class_path, home_option, exe_option = options(app)
    # From the folder the ANSI code page cannot spell, its 8.3 form, the same in every option.
    short = home_option[len("-Dhome="):]
    assert short == home if folder.isascii() else short.isascii() and "?" not in short
    assert exe_option.startswith(f"-Dexe={short}\\") and exe_option.isascii()
    assert exe_option == f"-Dexe={windows_path(app.exe)}" or not folder.isascii()
    assert class_path.lower() == f"-Djava.class.path={short}\\app.jar;{short}\\app.jar;".lower()
    assert library.lower().startswith(f"-Djava.library.path={short}\\native;".lower())


# Each case: the "Output File" and "Error File" lines, the files there before, the files after
# (time.strftime patterns) and what standard error must hold.
STREAMS = {
    "dates and created folders": (
        "Output File=logs\\out_%yyyyMMdd%.log\nError File=%QZ_TEST_LOGS%\\err_%yyyy-MM-dd%.log\n",
        {}, {"logs/out_%Y%m%d.log": b"args: 0\r\n", "logs/errors/err_%Y-%m-%d.log": ECHO},
        b""),
    # Only exactly "yes" appends.
    "append": ("Output File=out.log\nOutput Append=Yes\nError File=err.log\nError Append=yes\n",
               {"out.log": b"old\r\n", "err.log": b"old\r\n"},
               {"out.log": b"args: 0\r\n", "err.log": b"old\r\n" + ECHO}, b""),
    # The same file under another name (a hard link to it) keeps both streams.
    "one file for both streams": ("Output File=both.log\nError File=link.log\n",
                                  {"both.log": b"", "link.log": "both.log"},
                                  {"both.log": b"args: 0\r\n" + ECHO}, b""),
    # An output file that cannot be opened leaves the console.
    "unopenable": ("Output File=Q:\\no such drive\\out.log\n", {}, {},
                   b"java.io.FileNotFoundException"),
}


@pytest.mark.parametrize("case", list(STREAMS))
def test_redirected_streams(app, case):
    lines, before, after, stderr = STREAMS[case]
    for name, data in before.items():
        if isinstance(data, str):
            os.link(app.folder / data, app.folder / name)
        else:
            (app.folder / name).write_bytes(data)
    app.configure(**dict(line.split("=", 1) for line in lines.splitlines()))
    result = app.run(env={"QZ_TEST_LOGS": "logs\\errors"})
    assert (result.returncode, result.stdout) == (0, b"" if after else b"args: 0\r\n")
    assert stderr in result.stderr if stderr else result.stderr == b""
    for name, data in after.items():
        assert (app.folder / time.strftime(name)).read_bytes() == data, name


# Each case: the VM parameters after a -splash: of the image, the runtime, the image's file under
# the executable's folder (None: none made), the splash library's calls in order ({image}: the path
# it was handed) and the trace line that says why.
SHOWN = ["init", "scaled-name (null) {image}", "load {image}", "names {image} (null)"]
SPLASHES = {
    "shown before the VM starts": ("-Dx=1", "full", "splash.png", SHOWN, "shown"),
    "an image that cannot be read": ("", "full", None,
                                     ["init", "scaled-name (null) {image}",
                                      "load {image} (cannot be opened)"], "the image cannot be read"),
    "a folder outside the ANSI code page": ("", "full", "образ\\splash.png", SHOWN, "shown"),
    "a headless VM": ("-Djava.awt.headless=true", "full", "splash.png", [],
                      "not shown, the VM runs headless"),
    "a runtime without the library": ("", "server", "splash.png", [], "no library"),
}


@pytest.mark.parametrize("case", list(SPLASHES))
def test_splash_screen(app, case):
    parameters, runtime, image, calls, trace = SPLASHES[case]
    if image:
        touch(app.folder / image.replace("\\", "/"))
    shown = windows_path(app.folder / (image or "splash.png")).replace("/", "\\")
    app.configure(runtime=runtime, Virtual_Machine_Parameters=f"-splash:%QZ_TEST_IMAGE% {parameters}")
    result = app.run(env={"QZ_TRACE": "1", "QZ_TEST_IMAGE": shown})
    assert (result.returncode, result.stdout) == (0, b"args: 0\r\n")
    assert re.search(b"trace: splash screen.*: " + trace.encode(), result.stderr)
    record, splash = app.record(), app.recorded("splash")
    # The library gets the short form of a folder the ANSI code page cannot spell.
    seen = splash[1].split(" ", 2)[2] if splash else shown
    assert seen == shown or not image.isascii() and seen.isascii() and "?" not in seen
    assert splash == [call.format(image=seen) for call in calls]
    if splash:  # every call came before the VM's creation
        assert record.index(f"splash: {splash[-1]}") < record.index(next(
            line for line in record if line.startswith("create: ")))
    assert not [option for option in options(app) if option.startswith("-splash")]


# Each case: the runtime's version, what differs from the usual setup (sharing's arguments: the
# VM parameters, the class path, whether the runtime has HotSpot's base archive), the archive there
# before (None: none), and the options the launcher adds after the VM parameters ({archive}: the
# archive's path).
AT_EXIT = ["-XX:ArchiveClassesAtExit={archive}", "-Xlog:cds*=off"]
SHARING = {
    "Java 25 makes and renews its own": ("25.0.1", {}, None, ["-XX:+AutoCreateSharedArchive",
                                         "-XX:SharedArchiveFile={archive}", "-Xlog:cds*=off"]),
    "Java 17 makes it at exit": ("17.0.9", {}, None, AT_EXIT),
    "Java 17 maps the one there": ("17.0.9", {}, b"\xa8\xab\x0b\xf0archive",
                                   ["-XX:SharedArchiveFile={archive}", "-Xlog:cds*=off"]),
    "a broken one is made anew": ("17.0.9", {}, b"torn", AT_EXIT),
    # Older than a jar of the class path ("old:", its time set to 1970), the VM would refuse it.
    "one older than a jar is made anew": ("17.0.9", {}, b"old:\xa8\xab\x0b\xf0archive", AT_EXIT),
    "an -Xlog of cds keeps its output": ("17.0.9", {"Virtual_Machine_Parameters": "-Xlog:cds"}, None,
                                         ["-Xlog:cds", "-XX:ArchiveClassesAtExit={archive}"]),
    "Java 11 has none": ("11.0.2", {}, None, []),
    "the user's own -Xshare:off": ("25.0.1", {"Virtual_Machine_Parameters": "-Xshare:off"}, None,
                                   ["-Xshare:off"]),
    "a folder on the class path": ("25.0.1", {"Class_Path": "\\app.jar;\\classes"}, None, []),
    "no base archive (another VM)": ("25.0.1", {"base": False}, None, []),
}


def sharing(app: App, version: str, base: bool = True, main_class: str = "test.Echo", **settings):
    """An INI with "Class Data Sharing=auto" on a copy of the test runtime of this version, with
    HotSpot's base archive beside its VM library or not, and settings (class path \app.jar)."""
    home = runtime_at(app.folder.parent / "runtime", app.runtime("client"), version=version)
    touch(app.folder / "app.jar", app.folder / "classes" / "A.class",
          *[home / "bin" / "client" / "classes.jsa"] * base)
    app.configure(main_class, None, JRE_Path=windows_path(home), Class_Data_Sharing="AUTO",
                  **dict({"Class_Path": "\\app.jar"}, **settings))


@pytest.mark.parametrize("case", list(SHARING))
def test_class_data_sharing(app, case):
    version, settings, before, added = SHARING[case]
    sharing(app, version, **settings)
    for again in range(1 if before is None else 2):
        if again:  # as the VM would have left it after the first start
            local.write_bytes(before.removeprefix(b"old:"))
            os.utime(local, (0, 0) if before.startswith(b"old:") else None)
        app.record_file.unlink(missing_ok=True)
        result = app.run()
        assert (result.returncode, result.stderr) == (0, ECHO)
        given = options(app)[1:]  # after the class path
        archive = next((o.split("=", 1)[1] for o in given if "Archive" in o and "=" in o), "")
        # As this test reads it: itself on Windows; here in the prefix's drive C:.
        local = Path(archive) if os.name == "nt" else PREFIX / "drive_c" / archive[3:].replace("\\", "/")
    if archive:  # in the user's local application data, one file per runtime
        assert re.fullmatch(rf".*\\AppData\\Local\\{app.exe.stem}\\Class Data\\\d+-[0-9a-f]{{16}}\.jsa",
                            archive)
    assert given == [option.format(archive=archive) for option in added]
    if before == b"torn":
        assert not local.exists()


def test_one_instance_at_a_time_may_write_the_archive(tmp_path, app):
    # Another instance of Java 19 and later gets no archive while the first may renew it: mapping
    # it would make that write fail.
    sharing(app, "25.0.1", main_class="test.Single", Virtual_Machine_Parameters="-Dtest.wait.ms=%QZ_TEST_WAIT%")
    first = app.start(env={"QZ_TEST_WAIT": "60000"})
    try:
        app.wait_for_record("main-args")
        assert any("-XX:+AutoCreateSharedArchive" == option for option in options(app))
        app.record_file.unlink()
        result = app.run(env={"QZ_TEST_WAIT": "0", "QZ_TRACE": "1"})
        assert result.returncode == 0 and b"is being made by another instance" in result.stderr
        assert not [option for option in options(app) if "Archive" in option]
    finally:
        first.kill()
        end_processes_in(tmp_path)
