"""What the VM is handed and what main gets: the class path, the VM parameters, the library path
and "Path", the redirected standard streams and the "Cmd" arguments."""

import fnmatch
import os
import time
from pathlib import Path

import pytest

from conftest import App, BUILD, windows_path, windows_tool
from test_hostile_input import long_folder

CLASS_PATH_MISSING = b"Error: Java Class Path was not specified in INI file. \r\n"


def options(app: App) -> list[str]:
    return [option for option in app.recorded("option") if not option.endswith("[hook]")]


def write(app: App, class_path: str | None = None, jre: str = "", application: str = "",
          runtime: str = "client", encoding: str = "ascii"):
    """An INI with test.Echo on a test runtime; the three sections' extra lines as given."""
    text = ("[Java Runtime Environment]\nMain Class=test.Echo\n"
            f"JRE Path={windows_path(app.runtime(runtime))}\n{jre}"
            f"[Application]\n{application}")
    if class_path is not None:
        text += f"[Class Path]\nClass Path={class_path}\n"
    app.write_ini(text, encoding=encoding)


def touch(*paths: Path):
    for path in paths:
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(b"")


def test_class_path_entries(app):
    folder = windows_path(app.folder)
    touch(app.folder / "lib" / "b.jar", app.folder / "lib" / "c.jar", app.folder / "app.jar",
          app.folder / "extra" / "x.jar", app.folder / "lib" / "classes" / "k.class")
    write(app, "C:\\lib\\a.jar;\\lib\\*.jar;\\missing.jar;\\app.jar;\\\\server\\share\\x.jar;"
               "%QZ_TEST_EXTRA%\\x.jar;;\\lib\\*", application="Embedded Jar=YES\n")
    result = app.run(env={"QZ_TEST_EXTRA": f"{folder}\\extra"})
    assert result.stdout == b"args: 0\r\n"
    [class_path] = options(app)
    assert class_path.startswith("-Djava.class.path=")
    entries = class_path[len("-Djava.class.path="):].split(";")
    assert entries[-1] == ""  # every entry is followed by ";"
    # The wildcards list in the file system's order; the folder wildcard never lists . or ..
    assert entries[:2] == [windows_path(app.exe), "C:\\lib\\a.jar"]
    assert sorted(entries[2:4]) == [f"{folder}\\lib\\b.jar", f"{folder}\\lib\\c.jar"]
    assert entries[4:7] == [f"{folder}\\app.jar", "\\\\server\\share\\x.jar", f"{folder}\\extra\\x.jar"]
    assert sorted(entries[7:-1]) == [f"{folder}\\lib\\b.jar", f"{folder}\\lib\\c.jar",
                                     f"{folder}\\lib\\classes"]


@pytest.fixture
def unc():
    """A path's UNC form: through its drive's administrative share on Windows; here through a
    share that the Wine prefix maps to the root, made for the test."""
    if os.name == "nt":
        yield lambda path: f"\\\\localhost\\{str(path)[0]}$" + str(path)[2:]
        return
    link = Path(os.environ.get("QZ_WINEPREFIX", BUILD / "wineprefix")) / "dosdevices" / "unc" / \
        "localhost" / "root"
    link.parent.mkdir(parents=True, exist_ok=True)
    if link.is_symlink():
        link.unlink()
    link.symlink_to("/")
    yield lambda path: "\\\\localhost\\root" + str(path).replace("/", "\\")
    link.unlink()


# Each case: the class path, the files made beside the executable, the environment, and the
# class path the VM gets (fnmatch patterns). {folder} is the executable's folder and {long} a
# folder of 300 characters holding x.jar and sub\, each also with "/" ({folder/}, {long/}) and
# {long} in UNC form ({unc}).
CLASS_PATHS = {
    "forward slashes": ("/lib/b.jar;{folder/}/lib/*.jar", ["lib/b.jar"], {},
                        ["{folder}/lib/b.jar", "{folder/}/lib/b.jar"]),
    "a long pattern with ..": ("{long}\\sub\\..\\*.jar", [], {}, ["{long}\\sub\\..\\x.jar"]),
    "a long pattern with forward slashes": ("{long/}/*.jar", [], {}, ["{long/}/x.jar"]),
    "a long UNC pattern": ("{unc}\\*.jar", [], {}, ["{unc}\\x.jar"]),
    # The system cuts the expansion at 32 766 characters: the cut name would be another file.
    "an expansion past the system's limit": (
        "%QZ_TEST_LONG%\\x.jar;\\app.jar", ["app.jar"], {"QZ_TEST_LONG": "C:\\" + "a" * 32762},
        ["{folder}\\app.jar"]),
    # The VM would split the name at the ";": it gets the 8.3 name.
    "a jar whose name holds ;": ("\\lib\\*.jar", ["lib/a;b.jar"], {}, ["{folder}\\lib\\A_B~*.JAR"]),
}


@pytest.mark.parametrize("case", list(CLASS_PATHS))
def test_class_path_spellings(tmp_path, app, unc, case):
    class_path, files, env, expected = CLASS_PATHS[case]
    long = long_folder(tmp_path / "long", 300)
    (long / "sub").mkdir(parents=True)
    touch(long / "x.jar", *(app.folder / name for name in files))
    places = {"folder": windows_path(app.folder), "long": windows_path(long), "unc": unc(long)}
    places.update({f"{name}/": place.replace("\\", "/") for name, place in list(places.items())})
    write(app, class_path.format_map(places))
    result = app.run(env=env)
    assert (result.returncode, result.stdout) == (0, b"args: 0\r\n")
    [option] = options(app)
    entries = option[len("-Djava.class.path="):].split(";")
    assert entries[-1] == ""
    patterns = [pattern.format_map(places) for pattern in expected]
    assert len(entries) - 1 == len(patterns), entries
    assert all(fnmatch.fnmatchcase(entry, pattern)
               for entry, pattern in zip(entries, patterns)), entries


def test_empty_class_path_still_runs_main_without_the_rest(app):
    touch(app.folder / "out.log")
    write(app, "\\missing.jar", jre="Virtual Machine Parameters=-Dx=1\n",
          application="Cmd=extra\nOutput File=out.log\n")
    result = app.run("a")
    assert result.returncode == 0
    assert result.stdout == CLASS_PATH_MISSING + b"args: 1\r\na\r\n"
    assert options(app) == []
    assert (app.folder / "out.log").read_bytes() == b""


def test_cmd_arguments_follow_the_command_line(app):
    write(app, "C:\\app.jar", application='Cmd=--profile "two words" "" %QZ_TEST_LAST%\n')
    result = app.run("first", env={"QZ_TEST_LAST": "last"})
    assert result.stdout == b"args: 4\r\nfirst\r\n--profile\r\ntwo words\r\nlast\r\n"


def test_vm_parameters(app):
    write(app, "C:\\app.jar",
          jre='Virtual Machine Parameters= -Xmx50:256:1000P -Dapp.home="C:\\My App" '
              '-Dhome=%QZ_TEST_HOME% "" -Xss4m\n')
    result = app.run(env={"QZ_TEST_HOME": "Z:\\h"})
    assert result.returncode == 0, result.stdout
    # No empty option (the leading blank, the empty quotes): a VM refuses one. Half of what even
    # a 32-bit process sees of a machine of more than 2 GB is capped at 1000 MB.
    assert options(app)[1:] == ["-Xmx1024000K", "-Dapp.home=C:\\My App", "-Dhome=Z:\\h", "-Xss4m"]


# Each case: the -Xss option, the stack that the thread running main reserves (2 MB is the
# executables' own default) and the trace line on it ({top}: the largest size of the executable's
# word).
STACKS = [
    ("-Xss4m", 4 << 20, None),
    # Reserved, not committed: otherwise the executable's default would be the reservation.
    ("-Xss1536k", 1536 << 10, None),
    # Saturated: the system cannot reserve it, and must not be asked.
    ("-Xss99999999999999999999", 2 << 20, "trace: run thread: a stack of {top} bytes cannot be had "
                                          "(error 8): the executable's default stack instead"),
]


@pytest.mark.parametrize("option,reserve,trace", STACKS)
def test_run_thread_stack(app, option, reserve, trace):
    write(app, "C:\\app.jar", jre=f"Virtual Machine Parameters={option}\n")
    result = app.run(env={"QZ_TRACE": "1"})
    assert (result.returncode, result.stdout) == (0, b"args: 0\r\n")
    assert app.recorded("create-thread") == ["other"]
    assert app.recorded("stack-reserve") == [str(reserve)]
    lines = [line for line in result.stderr.decode().splitlines()
             if line.startswith("trace: run thread")]
    top = (1 << (64 if app.executable.startswith("quorvane64") else 32)) - 1
    assert lines == ([] if trace is None else [trace.format(top=top)])


def test_library_path_and_path(app):
    runtime = windows_path(app.runtime("client"))
    write(app, "C:\\app.jar", jre="Library Path=native\nSystem Path=Z:\\tools;\n")
    assert app.run().returncode == 0
    [path] = [value[len("Path="):] for value in app.recorded("env") if value.startswith("Path=")]
    assert path.startswith("Z:\\tools;") and path.endswith(f";{runtime}\\bin")
    old_path = path[len("Z:\\tools;"):-len(f";{runtime}\\bin")]
    assert old_path and "%" not in old_path
    # The library-path option comes first, with the Path as it was before the change.
    assert options(app)[0] == (f"-Djava.library.path=native;{windows_path(app.folder)}\\;.;"
                               f"{old_path};{runtime}\\lib")


# The variable that gives the program its Path: PATH on Windows; here PATH is Wine's own, and Wine
# puts a "Path" it is handed in front of the Windows one.
PATH_VARIABLE = "PATH" if os.name == "nt" else "Path"


def recorded_path(app: App) -> str:
    [path] = [entry[len("Path="):] for entry in app.recorded("env")
              if entry.startswith("Path=")]
    return path


@pytest.mark.parametrize("fits", [True, False], ids=["32 766 characters", "32 767 characters"])
def test_path_at_the_limit(app, fits):
    """The runtime's bin folder ends the new Path, or the Path stays as it was: never cut."""
    write(app, "C:\\app.jar")
    runtime_bin = windows_path(app.runtime("client")) + "\\bin"
    # What the program's Path holds beside the one it is given (Wine adds its own).
    assert app.run(env={PATH_VARIABLE: "C:\\x"}).returncode == 0
    inherited = len(recorded_path(app)) - len("C:\\x;") - len(runtime_bin)
    app.record_file.unlink()
    fill = 32766 - inherited - len(";") - len(runtime_bin) - len("C:\\") + (not fits)
    given = "C:\\" + "p" * fill
    result = app.run(env={PATH_VARIABLE: given, "QZ_TRACE": "1"})
    assert (result.returncode, result.stdout) == (0, b"args: 0\r\n")
    path = recorded_path(app)
    lines = [line for line in result.stderr.decode().splitlines() if line.startswith("trace: Path")]
    if fits:
        assert path.startswith(given) and path.endswith(";" + runtime_bin) and len(path) == 32766
        assert lines == []
    else:
        assert path.startswith(given) and len(path) + len(";") + len(runtime_bin) == 32767
        assert lines == ["trace: Path: 32767 characters with the runtime's bin folder, more than "
                         "the system's 32766: Path stays as it was"]


def test_folders_the_code_page_cannot_spell_reach_the_vm_in_short_form(tmp_path, executable):
    app = App(tmp_path / "app", executable)
    touch(app.folder / "lib-Приложение" / "b.jar", app.folder / "plain" / "c.jar")
    write(app, "\\lib-Приложение\\*.jar;\\plain\\*.jar", jre="Library Path=Приложение-native\n",
          encoding="utf-16-le")
    (app.folder / "Приложение-native").mkdir()
    assert app.run().returncode == 0
    library_path, class_path = options(app)
    entries = class_path[len("-Djava.class.path="):].split(";")
    assert entries[1] == f"{windows_path(app.folder)}\\plain\\c.jar"
    short = entries[0]
    assert short.endswith("\\b.jar") and short.isascii() and "?" not in short
    assert "?" not in library_path


def today(pattern: str) -> str:
    return time.strftime(pattern)


def test_redirected_streams_with_dates_and_created_folders(app):
    write(app, "C:\\app.jar", application="Output File=logs\\out_%yyyyMMdd%.log\n"
                                          "Error File=%QZ_TEST_LOGS%\\err_%yyyy-MM-dd%.log\n")
    result = app.run("a", env={"QZ_TEST_LOGS": "logs\\errors"}, cwd=app.folder)
    assert (result.returncode, result.stdout, result.stderr) == (0, b"", b"")
    assert (app.folder / "logs" / f"out_{today('%Y%m%d')}.log").read_bytes() == b"args: 1\r\na\r\n"
    assert (app.folder / "logs" / "errors" / f"err_{today('%Y-%m-%d')}.log").read_bytes() == \
        b"stderr: echo\r\n"


@pytest.mark.parametrize("append,expected", [("yes", b"old\r\nargs: 0\r\n"), ("Yes", b"args: 0\r\n")])
def test_append_only_for_exactly_yes(app, append, expected):
    (app.folder / "out.log").write_bytes(b"old\r\n")
    write(app, "C:\\app.jar", application=f"Output File=out.log\nOutput Append={append}\n")
    assert app.run(cwd=app.folder).returncode == 0
    assert (app.folder / "out.log").read_bytes() == expected


def short_name(path: Path) -> str:
    """The 8.3 name that the file system gave a file, as the command shell lists it."""
    listing = windows_tool("cmd", "/c", "dir", "/x", windows_path(path.parent)).stdout.decode()
    [line] = [line for line in listing.splitlines() if line.endswith(" " + path.name)]
    return line[:-len(path.name) - 1].split()[-1]


# The error file's name for the output file "both streams.log", written as the case needs it.
@pytest.mark.parametrize("spelling", [
    lambda file: ".\\BOTH STREAMS.log",
    lambda file: "\\\\?\\" + windows_path(file),
    short_name,
], ids=["case and dot", "long-path prefix", "8.3 name"])
def test_one_file_for_both_streams_keeps_both(app, spelling):
    file = app.folder / "both streams.log"
    file.write_bytes(b"")  # a long name has an 8.3 name beside it once the file exists
    write(app, "C:\\app.jar", application=f"Output File={file.name}\nError File={spelling(file)}\n")
    assert app.run(cwd=app.folder).returncode == 0
    assert file.read_bytes() == b"args: 0\r\nstderr: echo\r\n"


def test_unopenable_output_file_leaves_the_console(app):
    write(app, "C:\\app.jar", application="Output File=Q:\\no such drive\\out.log\n")
    result = app.run()
    assert result.returncode == 0
    assert result.stdout == b"args: 0\r\n"
    assert b"java.io.FileNotFoundException" in result.stderr
    assert result.stderr.endswith(b"stderr: echo\r\n")
