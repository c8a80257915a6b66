"""Input nobody writes on purpose: configuration files that are huge, garbled or no files at all,
VM libraries that lead nowhere, registry entries of absurd size or the wrong type, the longest
command line there is, odd names and a broken "APPDATA". Each ends in its message or in a sound
launch, never in a crash, a hang or a silent wrong result."""

import os
import random
from functools import cache
from pathlib import Path

import pytest

from conftest import JRE, MAIN_CLASS_MISSING, MINUS_ONE, NOT_FOUND, OWN_BITS, RUNTIMES, TWIN, App, \
    loaded_library, long_folder, runtime_copy, windows_path, write_main_ini

# A hang fails the test instead of blocking the run.
TIMEOUT = 60
# What Wine writes when a program dies of an exception.
CRASH_SIGNS = (b"wine: Unhandled", b"Unhandled exception", b"page fault")
ECHO_X = b"args: 1\r\nx\r\n"
ECHO_STDERR = b"stderr: echo\r\n"
MEGABYTE = 1 << 20
# The Windows limit of a command line, its terminating zero included.
COMMAND_LINE_LIMIT = 32767


def sound(result):
    """The run's result, once it is clear that the process did not die of an exception."""
    for sign in CRASH_SIGNS:
        assert sign not in result.stdout and sign not in result.stderr, result.stderr[-2000:]
    return result


def run(app: App, *args: str, **kwargs):
    return sound(app.run(*args, timeout=TIMEOUT, **kwargs))


def environment(app: App, name: str) -> list[str]:
    """The values of an environment variable as the Java program saw it."""
    return [value[len(name) + 1:] for value in app.recorded("env")
            if value.startswith(name + "=")]


# ---------------------------------------------------------------------------------------------
# The configuration file

@cache
def megabyte_option() -> str:
    return "-Dbig=" + "v" * (MEGABYTE - len("-Dbig="))


@cache
def megabyte_class() -> str:
    return "test." + "M" * (MEGABYTE - len("test."))


@cache
def hundred_thousand_keys() -> str:
    return "".join(f"Key{index}=value {index}\n" for index in range(100_000))


@cache
def garbage() -> bytes:
    # Without a leading byte-order mark, which would make it "UTF-16".
    return b"x" + random.Random(20240601).randbytes(65535)


APPLICATION_WORD = "\u041f\u0440\u0438\u043b\u043e\u0436\u0435\u043d\u0438\u0435"
NON_ASCII_CMD = f"caf\u00e9 {APPLICATION_WORD}"
NON_ASCII_ECHO = f"args: 3\r\nx\r\ncaf\u00e9\r\n{APPLICATION_WORD}\r\n"


def echo_ini(app: App, java: str = "", application: str = "") -> str:
    """test.Echo on the client runtime, with extra lines for two of the sections."""
    return ("[Java Runtime Environment]\nMain Class=test.Echo\n"
            f"JRE Path={windows_path(app.runtime('client'))}\n{java}"
            f"[Application]\n{application}" + app.class_path_section).replace("\n", "\r\n")


def write_ascii(app: App, text: str) -> None:
    app.ini.write_bytes(text.encode("ascii"))


def not_found_class(name: str) -> bytes:
    return (f"Error: Could not find or load main class {name}\r\n"
            f"Caused by: java.lang.ClassNotFoundException: {name}\r\n").encode()


# Each case: what lies where the INI belongs, and the exit code, standard output and standard
# error that follow (None: standard error is not looked at).
CONFIGURATION_FILES = {
    "1 MB VM parameter": (
        lambda app: write_ascii(
            app, echo_ini(app, f"Virtual Machine Parameters={megabyte_option()}\n")),
        0, ECHO_X, ECHO_STDERR),
    "1 MB main class": (
        lambda app: write_ascii(app, echo_ini(app).replace("test.Echo", megabyte_class())),
        1, b"", not_found_class(megabyte_class())),
    "100 000 keys before the real ones": (
        lambda app: write_ascii(app, echo_ini(app).replace(
            "[Java Runtime Environment]\r\n",
            "[Java Runtime Environment]\r\n" + hundred_thousand_keys().replace("\n", "\r\n"))),
        0, ECHO_X, ECHO_STDERR),
    "binary garbage": (
        lambda app: app.ini.write_bytes(garbage()),
        MINUS_ONE, MAIN_CLASS_MISSING, b""),
    "binary garbage, then the sections": (
        lambda app: app.ini.write_bytes(garbage() + b"\r\n" + echo_ini(app).encode("ascii")),
        0, ECHO_X, ECHO_STDERR),
    "UTF-16 with a byte-order mark": (
        lambda app: app.ini.write_bytes(
            b"\xff\xfe" + echo_ini(app, application=f"Cmd={NON_ASCII_CMD}\n").encode("utf-16-le")),
        0, NON_ASCII_ECHO.encode("utf-8"), ECHO_STDERR),
    "UTF-16 without a byte-order mark": (
        lambda app: app.ini.write_bytes(echo_ini(app).encode("utf-16-le")),
        MINUS_ONE, MAIN_CLASS_MISSING, b""),
    # Notepad's "UTF-8 with BOM". Wine's profile functions take the mark for UTF-8 and read the
    # file whole; those of Windows read it as ANSI, where the mark spoils the section name on the
    # first line.
    "UTF-8 with a byte-order mark": (
        lambda app: app.ini.write_bytes(
            b"\xef\xbb\xbf" + echo_ini(app, application=f"Cmd={NON_ASCII_CMD}\n").encode("utf-8")),
        0, NON_ASCII_ECHO.encode("utf-8"), ECHO_STDERR),
    "a folder": (
        lambda app: app.ini.mkdir(),
        MINUS_ONE, MAIN_CLASS_MISSING, b""),
    # Longer than the system's time formatter takes: the pattern is left out (out_.log).
    "a 300-character date pattern in Output File": (
        lambda app: write_ascii(
            app, echo_ini(app, application=f"Output File=out_%{'x' * 300}%.log\n")),
        0, b"", ECHO_STDERR),
}


@pytest.mark.parametrize("case", list(CONFIGURATION_FILES))
def test_configuration_file(app, case):
    prepare, code, stdout, stderr = CONFIGURATION_FILES[case]
    prepare(app)
    result = run(app, "x")
    assert result.returncode == code, result.stdout[:500]
    assert result.stdout == stdout
    if stderr is not None:
        assert result.stderr == stderr
    if case == "1 MB VM parameter":
        assert megabyte_option() in app.recorded("option")
    if case == "a 300-character date pattern in Output File":
        assert (app.folder / "out_.log").read_bytes() == ECHO_X


def test_configuration_file_without_read_permission(app):
    app.configure("test.Echo")
    app.ini.chmod(0)
    try:
        result = run(app, "x")
    finally:
        app.ini.chmod(0o644)
    if os.geteuid() == 0:
        # Mode bits do not bind the superuser: for it the file reads as any other.
        expected = (0, ECHO_X, ECHO_STDERR)
    else:
        # The profile functions read a file they may not open as an empty one.
        expected = (MINUS_ONE, MAIN_CLASS_MISSING, b"")
    assert (result.returncode, result.stdout, result.stderr) == expected


# ---------------------------------------------------------------------------------------------
# The VM library

def own_library(executable: str) -> bytes:
    return (RUNTIMES[executable] / "client" / "bin" / "client" / "jvm.dll").read_bytes()


# Each case: what stands as bin\client\jvm.dll, the error code of the failed load, and whether
# the INI names the twin as "Pair Product" (then the launcher also reads the library's headers).
VM_LIBRARIES = {
    "empty": (lambda executable: b"", 193, True),
    "cut at 1 KB": (lambda executable: own_library(executable)[:1024], 193, True),
    "cut at 4 KB": (lambda executable: own_library(executable)[:4096], 193, True),
    "headers pointing past the end": (lambda executable: own_library(executable)[:64], 193, True),
    # Handed over to the twin, which fails to load it in turn.
    "other architecture, cut at 4 KB": (
        lambda executable: own_library(TWIN[executable])[:4096], 193, True),
    # Without a twin to hand it to, the launcher tries it itself.
    "other architecture without Pair Product": (
        lambda executable: own_library(TWIN[executable]), 193, False),
    "a folder": (None, 5, True),
}


@pytest.mark.parametrize("case", [
    pytest.param(case, marks=[pytest.mark.needs_32_bit] if "cut at 4 KB" in case and
                 "other" in case else [])
    for case in VM_LIBRARIES])
def test_broken_vm_library_in_jre_path(tmp_path, app, case):
    content, error, pair = VM_LIBRARIES[case]
    runtime = tmp_path / "broken"
    library = runtime / "bin" / "client" / "jvm.dll"
    library.parent.mkdir(parents=True)
    (runtime / "bin" / "java.dll").write_text("marker\n")
    if content is None:
        library.mkdir()
    else:
        library.write_bytes(content(app.executable))
    twin = App(app.folder, TWIN[app.executable])
    for launcher in (app, twin):
        write_main_ini(launcher, **{"JRE Path": windows_path(runtime), **(
            {"Pair Return Code": "yes", "Pair Product": windows_path(twin.exe)} if pair else {})})
    result = run(app, "x")
    assert result.returncode == MINUS_ONE
    assert result.stdout == (f"Error: Failed to load Java VM library: {windows_path(library)} "
                             f"(errno = {error}).\r\n \r\n").encode()
    assert result.stderr == b""


# ---------------------------------------------------------------------------------------------
# The registry

def string_value(text: str, name: str = "JavaHome") -> str:
    return f'"{name}"="' + text.replace("\\", "\\\\") + '"'


def binary_value(data: bytes) -> str:
    return '"JavaHome"=hex:' + ",".join(f"{byte:02x}" for byte in data)


def padded_home(home: Path) -> str:
    """The runtime's folder and a run of separators: 32 767 characters, 64 KB."""
    text = windows_path(home)
    return text + "\\" * (32767 - len(text))


def home_of(newer: Path) -> str:
    return string_value(windows_path(newer))


# Each case: a subkey of Java Runtime Environment and its JavaHome line, made from the folder of
# the server runtime ("newer"); the INI's extra settings; the runtime that is used ("older", the
# client runtime registered as 1.8 beside it, or None: no runtime is found).
REGISTRY = [
    pytest.param("1.9", lambda newer: string_value("Z:\\" + "a" * 32764), {}, "older",
                 id="64 KB JavaHome naming nothing"),
    pytest.param("1.9", lambda newer: string_value(padded_home(newer)), {}, "newer",
                 id="64 KB JavaHome of a runtime and separators"),
    pytest.param("1.9", lambda newer: '"JavaHome"=dword:0000005a', {}, "older",
                 id="REG_DWORD JavaHome"),
    pytest.param("1.9", lambda newer: '"JavaHome"=dword:005c005c', {}, "older",
                 id="REG_DWORD JavaHome reading as two backslashes"),
    pytest.param("1.9", lambda newer: binary_value(bytes(range(256))), {}, "older",
                 id="REG_BINARY JavaHome"),
    # Only a string value names a home, whatever its bytes spell.
    pytest.param("1.9", lambda newer: binary_value(windows_path(newer).encode("utf-16-le")), {},
                 "older", id="REG_BINARY JavaHome spelling a runtime"),
    # Windows allows key names of 255 characters at most (and reg import drops one of 600): the
    # longest name there is.
    pytest.param("1.9" + "x" * 252, home_of, {}, "newer", id="subkey name of 255 characters"),
    # A version that does not fit counts as 0.0.0.0: ranked last, and below any minimum.
    pytest.param("12345678901234567890", home_of, {}, "older", id="version of 20 digits"),
    pytest.param("12345678901234567890", home_of, {"Minimum Version": "1.9"}, None,
                 id="version of 20 digits and a minimum"),
    # Without a Maximum Version every part may reach 65535, and no further.
    pytest.param("65536", home_of, {}, "older", id="major version above 65535 without bounds"),
    # Digits that do not read as a version name no runtime: the next entry decides.
    pytest.param("9", home_of, {"Preferred versions": "12345678901234567890;1.8"}, "older",
                 id="preferred version of 20 digits"),
]


@pytest.mark.parametrize("version,java_home,settings,used", REGISTRY)
def test_registry_entries(tmp_path, app, registry, version, java_home, settings, used):
    homes = {"newer": runtime_copy(tmp_path / "newer", app.runtime("server")),
             "older": runtime_copy(tmp_path / "older", app.runtime("client"))}
    # The helper's own import, with any number of keys in one .reg file.
    registry._import([f"[HKEY_LOCAL_MACHINE\\{JRE}\\1.8]", home_of(homes["older"]),
                      f"[HKEY_LOCAL_MACHINE\\{JRE}\\{version}]", java_home(homes["newer"])],
                     OWN_BITS[app.executable])
    write_main_ini(app, **settings)
    result = run(app, "x")
    if used is None:
        message = NOT_FOUND.replace(b"(latest version)",
                                    f"(minimum version {settings['Minimum Version']})".encode())
        assert (result.returncode, result.stdout, result.stderr) == (MINUS_ONE, message, b"")
        assert loaded_library(app) is None
    else:
        assert (result.returncode, result.stdout, result.stderr) == (0, ECHO_X, ECHO_STDERR)
        kind = "server" if used == "newer" else "client"
        assert loaded_library(app) == f"{windows_path(homes[used])}\\bin\\{kind}\\jvm.dll"
        assert environment(app, "QZ_JVM_HOME") == [windows_path(homes[used])]


def test_ten_thousand_registered_runtimes(tmp_path, app, registry):
    """Names sort apart from versions ("10000.0" lists fifth), every seventh has no JavaHome:
    the newest one that has a runtime wins."""
    lines = []
    for major in range(1, 10_001):
        lines.append(f"[HKEY_LOCAL_MACHINE\\{JRE}\\{major}.0]")
        if major % 7:
            home = runtime_copy(tmp_path / "homes" / f"h{major}", app.runtime("client"))
            lines.append(string_value(windows_path(home)))
    registry._import(lines, OWN_BITS[app.executable])
    write_main_ini(app)
    result = run(app, "x")
    assert (result.returncode, result.stdout, result.stderr) == (0, ECHO_X, ECHO_STDERR)
    newest = windows_path(tmp_path / "homes" / "h10000")
    assert loaded_library(app) == newest + "\\bin\\client\\jvm.dll"


# ---------------------------------------------------------------------------------------------
# The command line

# Arguments as written on the command line and as main gets them.
ARGUMENT_KINDS = [
    lambda n: (f"plain-{n}", f"plain-{n}"),
    lambda n: (f'"two words {n}"', f"two words {n}"),
    lambda n: (f"J\u00e4va-{APPLICATION_WORD}-\u65e5\u672c-{n}",) * 2,
    lambda n: (f"C:\\dir{n}\\", f"C:\\dir{n}\\"),
    lambda n: (f'"C:\\Program Files\\x {n}"', f"C:\\Program Files\\x {n}"),
]


def long_command_line(exe: str, length: int) -> tuple[str, list[str]]:
    """A command line of exactly length characters and the arguments main should get."""
    written, expected = [f'"{exe}"'], []
    used = len(written[0])
    n = 0
    while True:
        raw, parsed = ARGUMENT_KINDS[n % len(ARGUMENT_KINDS)](n)
        if used + 1 + len(raw) + 1 + 2 > length:
            break
        written.append(raw)
        expected.append(parsed)
        used += 1 + len(raw)
        n += 1
    last = "z" * (length - used - 1)
    written.append(last)
    expected.append(last)
    return " ".join(written), expected


@pytest.mark.parametrize("length", [30_000, COMMAND_LINE_LIMIT - 1], ids=["30 000", "the limit"])
def test_longest_command_lines(app, length):
    app.configure("test.Echo")
    command_line, arguments = long_command_line(windows_path(app.exe), length)
    assert len(command_line) == length
    # run_command_line formats the text: its braces are doubled.
    result = sound(app.run_command_line(command_line.replace("{", "{{").replace("}", "}}"),
                                        timeout=TIMEOUT))
    assert result.returncode == 0, result.stdout[:500]
    expected = f"args: {len(arguments)}\r\n" + "".join(f"{argument}\r\n" for argument in arguments)
    assert result.stdout == expected.encode("utf-8")
    assert result.stderr == ECHO_STDERR


# ---------------------------------------------------------------------------------------------
# Names

@pytest.mark.parametrize("folder,name,runtime", [
    ("My Apps. v1.2", "My App.v1.2 final.exe", "Runtime 1.8. (x64)"),
    (f"{APPLICATION_WORD} J\u00e4va \u65e5\u672c", f"J\u00e4va {APPLICATION_WORD}.exe",
     "\u0421\u0440\u0435\u0434\u0430 \u00fc \u65e5\u672c"),
    ("a.b c..d", ". x.exe", ". jre .x"),
], ids=["spaces and dots", "non-ASCII", "leading dots"])
def test_odd_names(tmp_path, executable, folder, name, runtime):
    app = App(tmp_path / folder, executable, name=name)
    home = runtime_copy(app.folder / runtime, app.runtime("client"))
    app.write_ini("[Java Runtime Environment]\nMain Class=test.Echo\n"
                  f"JRE Path={windows_path(home)}\n" + app.class_path_section,
                  encoding="utf-16-le")
    result = run(app, "x")
    assert (result.returncode, result.stdout, result.stderr) == (0, ECHO_X, ECHO_STDERR)
    assert loaded_library(app) == windows_path(home) + "\\bin\\client\\jvm.dll"
    assert environment(app, "QZ_JVM_HOME") == [windows_path(home)]


# ---------------------------------------------------------------------------------------------
# "APPDATA"

PRODUCT = "[Product Information]\nProduct Name=Hostile: Input?\nProduct Code={7}\n"


@pytest.mark.parametrize("case", [
    "5000 characters",
    "a file",
    "relative, over a planted file",
    # The profile functions cannot open a path of MAX_PATH or more: no per-user file then.
    "longer than MAX_PATH with a per-user file",
])
def test_appdata(tmp_path, app, case):
    """The per-user file of Product Name "Hostile: Input?" and Product Code {7} names the server
    runtime when there is one; the INI beside the executable names the client runtime."""
    app.write_ini(PRODUCT + "[Java Runtime Environment]\nMain Class=test.Echo\n"
                  f"JRE Path={windows_path(app.runtime('client'))}\n" + app.class_path_section)
    used = "client"
    if case == "5000 characters":
        appdata = "C:\\" + "x" * 4997
    elif case == "a file":
        (tmp_path / "appdata").write_text("a file\n")
        appdata = windows_path(tmp_path / "appdata")
    else:
        if case.startswith("relative"):
            appdata, folder = "planted", app.folder / "planted"
        else:
            folder = long_folder(tmp_path / "appdata", 300)
            appdata = windows_path(folder)
        per_user = folder / "Hostile Input" / "{7}" / app.ini.name
        per_user.parent.mkdir(parents=True)
        app.write_ini("[Java Runtime Environment]\n"
                      f"JRE Path={windows_path(app.runtime('server'))}\n", path=per_user)
    result = sound(app.run_in_shell(f"set APPDATA={appdata}", timeout=TIMEOUT))
    assert (result.returncode, result.stdout, result.stderr) == (0, b"args: 0\r\n", ECHO_STDERR)
    assert loaded_library(app) == f"{windows_path(app.runtime(used))}\\bin\\{used}\\jvm.dll"
