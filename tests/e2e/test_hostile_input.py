"""Input nobody writes on purpose: configuration files that are huge, garbled or no files at all,
VM libraries that lead nowhere, the longest command line there is and odd names. Each ends in its
message or in a sound launch, never in a crash, a hang or a silent wrong result."""

import random

import pytest

from conftest import MINUS_ONE, RUNTIMES, TWIN, App, runtime_at, windows_path

# What Wine writes when a program dies of an exception.
CRASH_SIGNS = (b"wine: Unhandled", b"Unhandled exception", b"page fault")
ECHO_X = b"args: 1\r\nx\r\n"
CLASS_PATH_MISSING = b"Error: Java Class Path was not specified in INI file. \r\n"
ECHO_STDERR = b"stderr: echo\r\n"
MEGABYTE = 1 << 20
BIG_OPTION = "-Dbig=" + "v" * (MEGABYTE - len("-Dbig="))
BIG_CLASS = "test." + "M" * (MEGABYTE - len("test."))
# Without a leading byte-order mark, which would make it "UTF-16".
GARBAGE = b"x" + random.Random(20240601).randbytes(65535)
WORD = "\u041f\u0440\u0438\u043b\u043e\u0436\u0435\u043d\u0438\u0435"
NON_ASCII_ECHO = f"args: 3\r\nx\r\ncaf\u00e9\r\n{WORD}\r\n".encode()


def sound(result):
    """The run's result, once it is clear that the process did not die of an exception (a hang
    fails the run's timeout)."""
    for sign in CRASH_SIGNS:
        assert sign not in result.stdout and sign not in result.stderr, result.stderr[-2000:]
    return result


# Each case: the bytes in front of the INI, its settings (test.Echo on the client runtime
# otherwise), and the exit code, standard output and standard error that follow. Sections longer
# than the profile functions' first read are a win-tier case.
CONFIGURATION_FILES = {
    "1 MB VM parameter": (b"", {"Virtual_Machine_Parameters": BIG_OPTION}, 0, ECHO_X, ECHO_STDERR),
    "1 MB main class": (b"", {"main_class": BIG_CLASS}, 1, b"",
                        f"Error: Could not find or load main class {BIG_CLASS}\r\n"
                        f"Caused by: java.lang.ClassNotFoundException: {BIG_CLASS}\r\n".encode()),
    "binary garbage, then the sections": (GARBAGE + b"\r\n", {}, 0, ECHO_X, ECHO_STDERR),
    # Without a class path main still runs, but without the VM parameters, "Cmd" and the files.
    "a class path that names no file": (b"", {"Class_Path": "\\missing.jar", "Cmd": "extra",
                                               "Virtual_Machine_Parameters": BIG_OPTION,
                                               "Output_File": "out.log"}, 0, CLASS_PATH_MISSING + ECHO_X,
                                        ECHO_STDERR),
    # Notepad's "UTF-8 with BOM". Wine's profile functions take the mark for UTF-8 and read the
    # file whole; those of Windows read it as ANSI, where the mark spoils the section name on the
    # first line.
    "UTF-8 with a byte-order mark": (b"\xef\xbb\xbf", {"Cmd": f"caf\u00e9 {WORD}"}, 0, NON_ASCII_ECHO,
                                     ECHO_STDERR),
}


@pytest.mark.parametrize("case", list(CONFIGURATION_FILES))
def test_configuration_file(app, case):
    before, settings, code, stdout, stderr = CONFIGURATION_FILES[case]
    app.configure(**dict({"runtime": "client", "encoding": "utf-8"}, **settings))
    app.ini.write_bytes(before + app.ini.read_bytes())
    result = sound(app.run("x"))
    assert (result.returncode, result.stdout, result.stderr) == (code, stdout, stderr)
    assert (BIG_OPTION in app.recorded("option")) == (case == "1 MB VM parameter")


# Each case: what stands as bin\client\jvm.dll of "JRE Path" (the VM library of this executable's
# architecture or of the other one, its first bytes or whole; None: a folder), the error code of
# the failed load, and whether the INI names the twin as "Pair Product" (then the launcher also
# reads the library's headers). Damaged or missing headers are rules of the unit and win tiers.
@pytest.mark.parametrize("architecture,cut,error,pair", [
    ("own", 4096, 193, True),
    # Handed over to the twin, which fails to load it in turn.
    pytest.param("other", 4096, 193, True, marks=pytest.mark.needs_32_bit),
    # Without a twin to hand it to, the launcher tries it itself.
    ("other", None, 193, False),
    (None, None, 5, True),
], ids=["cut at 4 KB", "other architecture, cut at 4 KB",
        "other architecture without Pair Product", "a folder"])
def test_broken_vm_library_in_jre_path(tmp_path, app, architecture, cut, error, pair):
    runtime = tmp_path / "broken"
    library = runtime / "bin" / "client" / "jvm.dll"
    library.parent.mkdir(parents=True)
    (runtime / "bin" / "java.dll").write_text("marker\n")
    if architecture is None:
        library.mkdir()
    else:
        source = RUNTIMES[app.executable if architecture == "own" else TWIN[app.executable]]
        library.write_bytes((source / "client" / "bin" / "client" / "jvm.dll").read_bytes()[:cut])
    twin = App(app.folder, TWIN[app.executable])
    for launcher in (app, twin):
        launcher.configure(runtime=None, JRE_Path=windows_path(runtime), **(
            {"Pair Return Code": "yes", "Pair Product": windows_path(twin.exe)} if pair else {}))
    result = sound(app.run("x"))
    assert (result.returncode, result.stderr) == (MINUS_ONE, b"")
    assert result.stdout == (f"Error: Failed to load Java VM library: {windows_path(library)} "
                             f"(errno = {error}).\r\n \r\n").encode()


# Arguments as written on the command line and as main gets them.
ARGUMENT_KINDS = [("plain", "plain"), ('"two words"', "two words"),
                  (f"J\u00e4va-{WORD}-\U0001F600",) * 2, ("C:\\dir\\",) * 2,
                  ('"C:\\Program Files\\x"', "C:\\Program Files\\x")]


def units(text: str) -> int:
    return len(text.encode("utf-16-le")) // 2


def test_the_longest_command_line(app):
    """32 767 UTF-16 units, the terminating zero included: thousands of arguments of every kind,
    and a last one that fills the line."""
    app.configure()
    written, arguments = [f'"{windows_path(app.exe)}"'], []
    while units(" ".join(written)) < 32_000:
        raw, parsed = ARGUMENT_KINDS[len(arguments) % len(ARGUMENT_KINDS)]
        written.append(raw)
        arguments.append(parsed)
    arguments.append("z" * (32_766 - units(" ".join(written)) - 1))
    command_line = " ".join(written + arguments[-1:])
    assert units(command_line) == 32_766
    # run_command_line formats the text: its braces are doubled.
    result = sound(app.run_command_line(command_line.replace("{", "{{").replace("}", "}}")))
    assert (result.returncode, result.stderr) == (0, ECHO_STDERR), result.stdout[:500]
    expected = f"args: {len(arguments)}\r\n" + "".join(f"{argument}\r\n" for argument in arguments)
    assert result.stdout == expected.encode()


@pytest.mark.parametrize("folder,name,runtime", [
    ("My Apps. v1.2", "My App.v1.2 final.exe", "Runtime 1.8. (x64)"),
    (f"{WORD} J\u00e4va \u65e5\u672c", f"J\u00e4va {WORD}.exe", "\u0421\u0440\u0435\u0434\u0430 \u00fc \u65e5\u672c"),
    ("a.b c..d", ". x.exe", ". jre .x"),
], ids=["spaces and dots", "non-ASCII", "leading dots"])
def test_odd_names(tmp_path, executable, folder, name, runtime):
    app = App(tmp_path / folder, executable, name=name)
    home = runtime_at(app.folder / runtime, app.runtime("client"))
    # UTF-16, as non-ASCII text needs it, with non-ASCII "Cmd" arguments.
    app.configure(runtime=None, encoding="utf-16-le", JRE_Path=windows_path(home),
                  Cmd=f"caf\u00e9 {WORD}")
    # The INI of the executable's original name is not read.
    (app.folder / executable.replace(".exe", ".ini")).write_text("[Java Runtime Environment]\n"
                                                                  "Main Class=test.Exit\n")
    result = sound(app.run("x"))
    assert (result.returncode, result.stdout, result.stderr, app.recorded("library")) == \
        (0, NON_ASCII_ECHO, ECHO_STDERR, [windows_path(home) + "\\bin\\client\\jvm.dll"])
