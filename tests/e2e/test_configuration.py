"""Where the launcher finds its INI file and how it reports a missing main class."""

import pytest

from conftest import App, MAIN_CLASS_MISSING

MINUS_ONE = 255  # Wine reports the exit code -1 as 255


@pytest.mark.parametrize("ini", [
    None,
    "[Java Runtime Environment]\nJRE Path=C:\\jre\n",
    "[Java Runtime Environment]\nMain Class=\n",
    "[Java Runtime Environment+]\nJRE Path=x\n[Application]\nMain Class=com.example.App\n",
], ids=["no INI", "no key", "empty value", "key in another section"])
def test_missing_main_class_is_one_error_line(app, ini):
    if ini is not None:
        app.write_ini(ini)
    result = app.run("arg")
    assert result.stdout == MAIN_CLASS_MISSING
    assert result.returncode == MINUS_ONE
    assert result.stderr == b""


@pytest.mark.parametrize("ini", [
    "[Java Runtime Environment]\nMain Class=com.example.App\n",
    "[Java Runtime Environment]\nMain Class=\n[Java Runtime Environment+]\nMain Class=App\n",
], ids=["section", "plus section"])
def test_main_class_is_found(app, ini):
    app.write_ini(ini)
    assert MAIN_CLASS_MISSING not in app.run().stdout


def test_ini_takes_the_executables_own_name(tmp_path, executable):
    renamed = App(tmp_path / "renamed", executable, name="My App.v2.exe")
    renamed.write_ini("[Java Runtime Environment]\nMain Class=com.example.App\n")
    assert renamed.ini.name == "My App.v2.ini"
    (renamed.folder / executable.replace(".exe", ".ini")).write_text("[Java Runtime Environment]\n")
    assert MAIN_CLASS_MISSING not in renamed.run().stdout


def test_folder_and_ini_with_non_ascii_names(tmp_path, executable):
    app = App(tmp_path / "Приложение Jäva", executable)
    app.write_ini("[Java Runtime Environment]\nMain Class=com.example.Приложение\n",
                  encoding="utf-16-le")
    assert MAIN_CLASS_MISSING not in app.run().stdout
