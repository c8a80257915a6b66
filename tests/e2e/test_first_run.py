"""A first Java run: the launcher loads a test runtime's jvm.dll, creates the VM on its run
thread and calls main. The test runtime records what reached it."""

import pytest

from conftest import MINUS_ONE, WINDOWLESS, App, windows_path



def escaped(text):
    """An argument as the test runtime writes it: \\uXXXX outside printable ASCII."""
    data = text.encode("utf-16-le")
    out = []
    for unit in (int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2)):
        if unit == 0x5C:
            out.append("\\\\")
        elif 0x20 <= unit <= 0x7E:
            out.append(chr(unit))
        else:
            out.append(f"\\u{unit:04X}")
    return "".join(out)


@pytest.mark.parametrize("command_line,arguments", [
    ('"{exe}" -x', ["-x"]),
    ("{exe}", []),
    ("{exe} a\tb", ["a\tb"]),
    ('{exe} "" x', ["", "x"]),
    ('{exe} "a b  c', ["a b  c"]),
    ("{exe} /? -help --x=1", ["/?", "-help", "--x=1"]),
    ('{exe}   one  "two words"three \t ', ["one", "two words", "three"]),
    ("{exe} caf\u00e9 \U0001F600 C:\\dir\\", ["caf\u00e9", "\U0001F600", "C:\\dir\\"]),
], ids=["quoted path", "no arguments", "tab", "empty quotes", "unterminated quote", "switches",
        "spacing", "non-ASCII"])
def test_arguments_reach_main_exactly(tmp_path, executable, command_line, arguments):
    # Only a quoted program path may hold spaces.
    app = App(tmp_path / ("My App" if command_line.startswith('"') else "app"), executable)
    app.configure("test.Echo")
    result = app.run_command_line(command_line)
    assert result.returncode == 0, result.stderr
    assert app.recorded("main-args") == [str(len(arguments))]
    assert app.recorded("arg") == [escaped(argument) for argument in arguments]


def test_vm_creation_on_the_run_thread(app):
    app.configure("test.Echo")
    result = app.run("a", env={"QZ_TEST_STACK_SIZE": str(8 << 20)})
    assert result.returncode == 0
    assert result.stdout == b"args: 1\r\na\r\n"
    assert result.stderr == b"stderr: echo\r\n"
    assert app.recorded("default-args") == ["version=0x00010001"]
    assert app.recorded("create") == ["version=0x00010002 ignoreUnrecognized=false options=3"]
    assert app.recorded("option") == [f"-Djava.class.path={windows_path(app.folder)}\\app.jar;",
                                      "abort [hook]", "exit [hook]"]
    assert app.recorded("create-thread") == ["other"]
    assert int(app.recorded("stack-reserve")[0]) >= 8 << 20
    assert app.recorded("lookup") == ["LauncherHelper test.Echo"]
    assert app.recorded("library")[0].endswith("\\full\\bin\\client\\jvm.dll")


@pytest.mark.parametrize("main_class,env,code,stdout,stderr", [
    ("test.Echo", {}, 0, b"args: 0\r\n", b"stderr: echo"),
    ("test.Throws", {}, 0, b"",
     b'Exception in thread "main" java.lang.IllegalStateException: thrown by main'),
    ("test.Exit", {}, 7, b"", b""),
    ("test.Echo", {"QZ_TEST_CREATE_RESULT": "-4"}, MINUS_ONE,
     b"Error: JNI exception: failed to create the Java VM\r\nReason: not enough memory.\r\n \r\n", b""),
    ("test.Echo", {"QZ_TEST_CREATE_RESULT": "-9"}, MINUS_ONE,
     b"Error: JNI exception: failed to create the Java VM\r\nReason: .\r\n \r\n", b""),
    # The windowless executables say it too, since the JDK's lines may reach nobody.
    ("test.Missing", {}, 1,
     {"console": b"", "windowless": b"Error: Failed to load Main Class: test.Missing.\r\n \r\n"},
     b"Error: Could not find or load main class test.Missing\r\n"
     b"Caused by: java.lang.ClassNotFoundException: test.Missing"),
], ids=["returns", "throws", "System.exit", "creation fails", "unknown creation failure",
        "helper reports missing class"])
def test_exit_codes_and_messages(any_app, main_class, env, code, stdout, stderr):
    app = any_app
    app.configure(main_class)
    result = app.run(env=env)
    assert result.returncode == code
    if isinstance(stdout, dict):
        stdout = stdout["windowless" if app.executable in WINDOWLESS.values() else "console"]
    assert result.stdout == stdout
    assert stderr in result.stderr
    if main_class == "test.Exit":
        assert app.recorded("exit-hook") == ["7"]


@pytest.mark.parametrize("main_class,stdout,stderr", [
    ("test.Echo", b"args: 0\r\n", b"stderr: echo"),
    ("test.Missing", b"Error: Could not find the main class test/Missing.\r\n \r\n",
     b"java.lang.NoClassDefFoundError: test/Missing"),
    ("test.NoMain", b"Error: No main method found in specified class.\r\n \r\n",
     b"java.lang.NoSuchMethodError"),
], ids=["runs main", "missing class", "no main"])
def test_class_route_without_the_boot_loader_export(app, main_class, stdout, stderr):
    app.configure(main_class, runtime="noboot")
    result = app.run()
    assert result.returncode == (0 if main_class == "test.Echo" else MINUS_ONE)
    assert result.stdout == stdout
    assert stderr in result.stderr
    assert app.recorded("lookup") == ["FindClass " + main_class.replace(".", "/")]
    assert not app.recorded("leak")


# The mains of JDK 25: the launcher helper names the kind it validated, and the launcher calls
# that one. A runtime before 25 knows only the static main(String[]) and refuses the others.
@pytest.mark.parametrize("feature,main_class,code,stdout,calls", [
    ("25", "test.InstanceMain", 0, b"instance main, args: 2\r\na b\r\nc\r\n",
     ["new: test/InstanceMain", "main-args: 2"]),
    ("25", "test.NoArgMain", 0, b"instance main()\r\n", ["new: test/NoArgMain", "main-args: none"]),
    ("25", "test.StaticNoArgMain", 0, b"static main()\r\n", ["main-args: none"]),
    ("25", "test.Echo", 0, b"args: 2\r\na b\r\nc\r\n", ["main-args: 2"]),
    ("21", "test.Echo", 0, b"args: 2\r\na b\r\nc\r\n", ["main-args: 2"]),
    ("21", "test.InstanceMain", 1, b"", []),
], ids=["instance main(String[])", "instance main()", "static main()", "static main on 25",
        "static main before 25", "instance main before 25"])
def test_jdk25_mains(app, feature, main_class, code, stdout, calls):
    app.configure(main_class)
    result = app.run("a b", "c", env={"QZ_TEST_JAVA_FEATURE": feature})
    assert result.returncode == code, result.stderr
    assert result.stdout == stdout
    assert [line for line in app.record() if line.startswith(("new:", "main-args:"))] == calls
    if code:
        assert result.stderr.startswith(b"Error: Main method not found in class test.InstanceMain")
    assert not app.recorded("fatal")


def test_library_without_create_entry(app):
    app.configure("test.Echo", runtime="nocreate")
    result = app.run()
    assert result.returncode == MINUS_ONE
    assert result.stdout == b"Error: Windows exception: cannot find CreateJavaVM JNI (errno = 127).\r\n \r\n"
    # A VM library, once loaded, stays for the life of the process, whatever failed after.
    assert "unloaded" not in app.record()


def test_library_that_does_not_load(app):
    app.configure("test.Echo", runtime="notdll")
    result = app.run()
    library = windows_path(app.runtime("notdll")) + "\\bin\\client\\jvm.dll"
    assert result.returncode == MINUS_ONE
    assert result.stdout == (f"Error: Failed to load Java VM library: {library} (errno = 193).\r\n \r\n"
                             .encode())


@pytest.mark.parametrize("runtime,jvm_type,library", [
    ("full", None, "full\\bin\\client\\jvm.dll"),
    ("full", "favor_server", "full\\bin\\server\\jvm.dll"),
    ("full", "server", "full\\bin\\server\\jvm.dll"),
    ("server", None, "server\\bin\\server\\jvm.dll"),
    ("client", "favor_server", "client\\bin\\client\\jvm.dll"),
    ("client", "server", None),
    ("client", "Server", "client\\bin\\client\\jvm.dll"),
], ids=["client first", "favor_server", "server", "server only", "favor_server falls back",
        "server refuses client", "JVM Type is case-sensitive"])
def test_vm_library_by_jvm_type(app, runtime, jvm_type, library):
    settings = {"JVM_Type": jvm_type} if jvm_type else {}
    app.configure("test.Echo", runtime=runtime, trailing_separator=runtime == "server", **settings)
    result = app.run()
    if library is None:
        # No usable runtime and nothing else to try yet: the launch ends without a VM.
        assert result.returncode == MINUS_ONE
        assert app.record() == []
    else:
        assert result.returncode == 0
        assert app.recorded("library")[0].endswith("\\" + library)


def test_main_still_runs_when_no_run_thread_can_be_created(app):
    # No 32-bit process can reserve a 2 GiB stack: the VM then runs on the primary thread. The
    # 64-bit launcher gets its thread with that reservation.
    app.configure("test.Echo")
    result = app.run("a", env={"QZ_TEST_STACK_SIZE": str(2**31 - 1)})
    assert result.returncode == 0
    assert result.stdout == b"args: 1\r\na\r\n"
    if app.executable == "quorvane.exe":
        assert app.recorded("create-thread") == ["primary"]
    else:
        assert app.recorded("create-thread") == ["other"]
        assert int(app.recorded("stack-reserve")[0]) >= 2**31 - 1
