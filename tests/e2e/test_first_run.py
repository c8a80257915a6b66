"""A first Java run: the launcher loads a test runtime's jvm.dll, creates the VM on its run
thread and calls main. The test runtime records what reached it."""

import pytest

from conftest import MINUS_ONE

ECHO = b"args: 2\r\na b\r\nc\r\n"


# Each case: the test runtime ("noboot" lacks the boot loader's export, so the launcher looks the
# class up itself; "nocreate" lacks JNI_CreateJavaVM), main class, environment of the test
# runtime, and the exit code, standard output and a part of standard error that follow. The
# mains of JDK 25 run on a runtime of that feature release; one before it knows only the static
# main(String[]); the other mains of 25 are cases of the jni tier. A class the JDK's launcher
# helper cannot find is the 1 MB main class of the hostile input. The run thread's stack is a case
# of the launch configuration, the VM's arguments and options in detail one of the unit tier.
@pytest.mark.parametrize("runtime,main_class,env,code,stdout,stderr", [
    ("full", "test.Throws", {}, 0, b"",
     b'Exception in thread "main" java.lang.IllegalStateException: thrown by main'),
    ("full", "test.Exit", {}, 7, b"", b""),
    ("full", "test.Echo", {"QZ_TEST_CREATE_RESULT": "-4"}, MINUS_ONE,
     b"Error: JNI exception: failed to create the Java VM\r\nReason: not enough memory.\r\n \r\n", b""),
    ("noboot", "test.Echo", {}, 0, ECHO, b"stderr: echo"),
    ("noboot", "test.Missing", {}, MINUS_ONE,
     b"Error: Could not find the main class test/Missing.\r\n \r\n",
     b"java.lang.NoClassDefFoundError: test/Missing"),
    ("noboot", "test.NoMain", {}, MINUS_ONE,
     b"Error: No main method found in specified class.\r\n \r\n", b"java.lang.NoSuchMethodError"),
    ("nocreate", "test.Echo", {}, MINUS_ONE,
     b"Error: Windows exception: cannot find CreateJavaVM JNI (errno = 127).\r\n \r\n", b""),
    ("full", "test.InstanceMain", {"QZ_TEST_JAVA_FEATURE": "25"}, 0,
     b"instance main, args: 2\r\na b\r\nc\r\n", b""),
    ("full", "test.InstanceMain", {"QZ_TEST_JAVA_FEATURE": "21"}, 1, b"",
     b"Error: Main method not found in class test.InstanceMain"),
], ids=["throws", "System.exit", "creation fails",
        "own lookup runs main", "own lookup of a missing class", "own lookup without main",
        "no CreateJavaVM entry", "instance main(String[]) on 25", "instance main before 25"])
def test_exit_codes_and_messages(app, runtime, main_class, env, code, stdout, stderr):
    app.configure(main_class, runtime=runtime)
    result = app.run("a b", "c", env=env)
    assert (result.returncode, result.stdout, stderr in result.stderr, app.recorded("fatal")) == \
        (code, stdout, True, []), result.stderr
    if main_class == "test.Exit":
        assert app.recorded("exit-hook") == ["7"]
    if runtime == "noboot":
        assert app.recorded("lookup") == ["FindClass " + main_class.replace(".", "/")]
        assert not app.recorded("leak")
    # A VM library, once loaded, stays for the life of the process, whatever failed after.
    assert "unloaded" not in app.record()
