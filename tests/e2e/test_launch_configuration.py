"""What the VM is handed and what main gets: the class path, the VM parameters, the library path
and "Path", the redirected standard streams and the "Cmd" arguments."""

import time
from pathlib import Path

import pytest

from conftest import App, windows_path

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
    assert int(app.recorded("stack-reserve")[0]) >= 4 << 20


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


def test_one_file_for_both_streams_keeps_both(app):
    write(app, "C:\\app.jar", application="Output File=both.log\nError File=.\\BOTH.log\n")
    assert app.run(cwd=app.folder).returncode == 0
    assert (app.folder / "both.log").read_bytes() == b"args: 0\r\nstderr: echo\r\n"


def test_unopenable_output_file_leaves_the_console(app):
    write(app, "C:\\app.jar", application="Output File=Q:\\no such drive\\out.log\n")
    result = app.run()
    assert result.returncode == 0
    assert result.stdout == b"args: 0\r\n"
    assert b"java.io.FileNotFoundException" in result.stderr
    assert result.stderr.endswith(b"stderr: echo\r\n")
