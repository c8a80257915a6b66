"""Runs the two deliverables under Wine as a user would: each test gets a folder of its own
holding a copy of the executable and, when the test writes one, its INI file."""

import contextlib
import os
import shlex
import shutil
import signal
import subprocess
import time
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
DIST = Path(os.environ.get("QZ_DIST", ROOT / "dist"))
BUILD = Path(os.environ.get("QZ_BUILD", ROOT / "build"))
VERSION = (ROOT / "VERSION").read_text().strip()
# The test runtimes are built for each architecture; a launcher can only load its own.
RUNTIMES = {"quorvane64.exe": BUILD / "win64" / "runtimes", "quorvane.exe": BUILD / "win32" / "runtimes"}
# The windowless twins: same rules, error lines in a message box instead of on standard output.
WINDOWLESS = {"quorvane64.exe": "quorvane64w.exe", "quorvane.exe": "quorvanew.exe"}
RUNTIMES.update({windowless: RUNTIMES[console] for console, windowless in WINDOWLESS.items()})
# The Windows programs the tests drive the executables with (tests/tools/).
TOOLS = BUILD / "win64" / "tests"
SPAWN = TOOLS / "spawn.exe"
REGISTRY_CLEAN = TOOLS / "registry_clean.exe"
# The one way the suite starts a Windows program: the command put in front of it. Here that is
# Wine in the project's prefix (tests/wine/run-wine.sh); on Windows nothing. QZ_RUNNER overrides
# it (split like a shell line; empty: start programs directly).
RUNNER = shlex.split(os.environ["QZ_RUNNER"]) if "QZ_RUNNER" in os.environ else \
    [] if os.name == "nt" else [str(ROOT / "tests" / "wine" / "run-wine.sh")]
EXECUTABLES = ["quorvane64.exe", "quorvane.exe"]
ALL_EXECUTABLES = EXECUTABLES + list(WINDOWLESS.values())
DRIVER = TOOLS / "dialog_driver.exe"
MAIN_CLASS_MISSING = b"Error: Main class was not specified in INI file. \r\n"
# The exit code -1 as the runner reports it: Wine passes on its low byte, Windows all 32 bits.
MINUS_ONE = 0xFFFFFFFF if os.name == "nt" else 255
# The section of each key the tests write that is not in [Java Runtime Environment].
SECTIONS = {**dict.fromkeys(["Pair Product", "Pair Return Code", "Override WorkingDir", "Cmd",
                             "Application Type", "Single Instance", "Omit Service Name",
                             "Embedded Jar", "Failure Check", "Output File", "Output Append",
                             "Error File", "Error Append"], "Application"),
            "Class Path": "Class Path", "Product Name": "Product Information",
            "Product Code": "Product Information"}
# The 32-bit executables run always on Windows; under Wine only where the kernel runs 32-bit
# programs (some are built without).
RUNS_32_BIT = os.name == "nt" or "QZ_RUNNER" in os.environ or \
    subprocess.run([str(ROOT / "tests" / "wine" / "runs-32-bit.sh")]).returncode == 0


def pytest_runtest_setup(item):
    """A test of a 32-bit executable, or of a hand-over to one, is reported as not run (skipped,
    with the reason) where no 32-bit program can start; it never passes there."""
    if RUNS_32_BIT:
        return
    params = getattr(item, "callspec", None)
    values = {str(value) for value in params.params.values()} if params else set()
    if values & {"quorvane.exe", "quorvanew.exe"} or item.module.__name__ == "test_handover" or \
            item.get_closest_marker("needs_32_bit"):
        pytest.skip("this machine cannot run 32-bit programs (its kernel has no 32-bit support)")


def pytest_configure(config):
    config.addinivalue_line("markers", "needs_32_bit: starts a 32-bit program whatever it tests")


@pytest.fixture(scope="session", autouse=True)
def tools():
    # A missing tool fails every test loudly; nothing is skipped.
    if os.name != "nt" and shutil.which("wine") is None and "QZ_RUNNER" not in os.environ:
        pytest.fail("wine is not installed: run `make deps` (or scripts/install-deps.sh)")
    for path in [*(DIST / name for name in ALL_EXECUTABLES), SPAWN, REGISTRY_CLEAN, DRIVER,
                 *(folder / "full" / "bin" / "java.dll" for folder in RUNTIMES.values())]:
        if not path.is_file():
            pytest.fail(f"{path} is missing: run `make` first")


def windows_path(path: Path) -> str:
    """The path as the Windows program sees it: itself on Windows; through Wine's drive Z:,
    which maps the Linux root, here."""
    return str(path) if os.name == "nt" else "Z:" + str(path).replace("/", "\\")


def long_folder(base: Path, length: int) -> Path:
    """A folder below base whose Windows path is exactly length characters long (each name at
    most 200 characters, as a POSIX file system allows)."""
    folder = base
    while len(windows_path(folder)) < length - 201:
        folder = folder / ("d" * 200)
    return folder / ("e" * (length - len(windows_path(folder)) - 1))


class App:
    """A folder with one copy of a launcher executable."""

    def __init__(self, folder: Path, executable: str, name: str | None = None):
        self.executable = executable
        self.record_file = folder.parent / f"{folder.name}-record.txt"
        self.folder = folder
        self.folder.mkdir(parents=True, exist_ok=True)
        self.exe = folder / (name or executable)
        self.ini = self.exe.with_suffix(".ini")
        shutil.copyfile(DIST / executable, self.exe)

    def write_ini(self, text: str, encoding: str = "ascii"):
        mark = b"\xff\xfe" if encoding == "utf-16-le" else b""
        self.ini.write_bytes(mark + text.replace("\n", "\r\n").encode(encoding))

    def runtime(self, name: str) -> Path:
        """A test runtime folder of this executable's architecture."""
        return RUNTIMES[self.executable] / name

    def configure(self, main_class: str | None = "test.Echo", runtime: str | None = "full",
                  encoding: str = "ascii", **settings: str | None):
        """An INI starting main_class, with a test runtime as "JRE Path", a class path of one jar
        beside the executable and settings (underscores for spaces) in their sections; None
        leaves a key out."""
        values = {"Main Class": main_class, "JRE Path": runtime and windows_path(self.runtime(runtime)),
                  "Class Path": windows_path(self.folder / "app.jar")}
        values.update({key.replace("_", " "): value for key, value in settings.items()})
        sections = {}
        for key, value in values.items():
            if value is not None:
                section = sections.setdefault(SECTIONS.get(key, "Java Runtime Environment"), [])
                section.append(f"{key}={value}\n")
        self.write_ini("".join(f"[{name}]\n" + "".join(lines) for name, lines in sections.items()),
                       encoding)

    def start(self, *args: str, env: dict | None = None, cwd: Path | None = None,
              program: list[str] | None = None, how=subprocess.Popen, **options):
        """Starts the executable (or program, a command naming it) without waiting for it."""
        return how([*RUNNER, *(program or [str(self.exe)]), *args], cwd=cwd or self.folder,
                   env=dict(os.environ, QZ_TEST_RECORD=windows_path(self.record_file), **(env or {})),
                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, **options)

    def run(self, *args: str, timeout: float = 60, **options) -> subprocess.CompletedProcess:
        """Runs the executable (or program) and waits for it."""
        return self.start(*args, how=subprocess.run, timeout=timeout, **options)

    def wait_for_record(self, line: str, timeout: float = 30, count: int = 1) -> None:
        """Waits until the test runtime has recorded count lines starting with `line`."""
        deadline = time.monotonic() + timeout
        while sum(entry.startswith(line) for entry in self.record()) < count:
            assert time.monotonic() < deadline, f"no '{line}' in the record: {self.record()}"
            time.sleep(0.05)

    def command_file(self, command_line: str) -> str:
        """A file for spawn.exe holding exactly this command line ({exe} is the executable's
        Windows path); its Windows path."""
        path = self.folder.parent / f"{self.folder.name}-command.txt"
        path.write_bytes(command_line.format(exe=windows_path(self.exe)).encode("utf-16-le"))
        return windows_path(path)

    def run_command_line(self, command_line: str, env: dict | None = None,
                         timeout: float = 60) -> subprocess.CompletedProcess:
        """Starts the executable with exactly this command line and waits for it."""
        return self.run(env=dict(env or {}, QZ_SPAWN_COMMAND_FILE=self.command_file(command_line)),
                        timeout=timeout, program=[str(SPAWN), windows_path(self.exe)])

    def record(self) -> list[str]:
        """What the test runtime recorded, one entry per line."""
        return self.record_file.read_text(encoding="utf-8").splitlines() if self.record_file.exists() else []

    def recorded(self, key: str) -> list[str]:
        """The values of the record's "key: value" lines, in order (tests/testruntime/README.md)."""
        return [line[len(key) + 2:] for line in self.record() if line.startswith(key + ": ")]


def touch(*paths: Path):
    for path in paths:
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(b"")


def run_windows(*args: str, env: dict | None = None, timeout: float = 120) -> subprocess.CompletedProcess:
    """A Windows program through the runner, waited for. Wine's loader now and then fails to start
    a program at all on a busy machine ("ShellExecuteEx failed"); it never ran, so it is started
    again."""
    for _ in range(3):
        result = subprocess.run([*RUNNER, *args], env=dict(os.environ, **(env or {})),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
        if b"ShellExecuteEx failed" not in result.stdout:
            break
        time.sleep(0.5)
    return result


def processes_in(folder: Path) -> list[int]:
    """Processes whose command line names a file in folder. Wine shows the Windows path for some
    programs and the POSIX one for others (the 32-bit loader's), so both count."""
    needles = [windows_path(folder).lower().encode(), str(folder).lower().encode()]
    found = []
    for entry in Path("/proc").iterdir():
        with contextlib.suppress(OSError):  # ended meanwhile, or no process
            command_line = (entry / "cmdline").read_bytes().lower()
            if entry.name.isdigit() and int(entry.name) != os.getpid() and \
                    any(needle in command_line for needle in needles):
                found.append(int(entry.name))
    return found


def end_processes_in(folder: Path) -> None:
    """Ends every process started from folder, also ones a faulty launcher keeps starting."""
    for _ in range(50):
        running = processes_in(folder)
        for pid in running:
            with contextlib.suppress(ProcessLookupError):
                os.kill(pid, signal.SIGKILL)
        if not running:
            return
        time.sleep(0.1)


TWIN = {"quorvane64.exe": "quorvane.exe", "quorvane.exe": "quorvane64.exe"}
PREFIX = Path(os.environ.get("QZ_WINEPREFIX", BUILD / "wineprefix"))
NOT_FOUND = (b"Error: The Java Runtime Environment (JRE) was not found. Please  download and "
             b"install a JRE (latest version) from: https://adoptium.net/ \r\n")


def runtime_at(home: Path, source: Path, version: str | None = None, copy: bool = False) -> Path:
    """A test runtime at home: a link to it, or a copy (with a version, a release file naming it)."""
    home.parent.mkdir(parents=True, exist_ok=True)
    if version is None and not copy:
        os.symlink(source, home)
        return home
    shutil.copytree(source, home)
    if version:
        (home / "release").write_text(f'IMPLEMENTOR="Test"\nJAVA_VERSION="{version}"\n')
    return home


@pytest.fixture(params=EXECUTABLES)
def executable(request) -> str:
    return request.param


@pytest.fixture
def app(tmp_path, executable) -> App:
    return App(tmp_path / "app", executable)



class Gui:
    """A desktop that shows windows. On Windows the user's own; here an X display (Xvfb) and a
    Wine prefix of its own whose desktop shows on it."""

    def __init__(self):
        self.env = {}
        self.server = None
        if os.name == "nt":
            self.appdata = Path(os.environ["APPDATA"])
            self.c_drive = Path(os.environ.get("SystemDrive", "C:") + "\\")
            return
        self.prefix = BUILD / "wineprefix-gui"
        # The server picks a free display and names it once it takes connections.
        ready, told = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(told), "-screen", "0",
                                        "1024x768x24", "-nolisten", "tcp"], pass_fds=[told],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(told)
        with os.fdopen(ready) as pipe:
            self.env = {"DISPLAY": ":" + pipe.readline().strip(), "QZ_WINEPREFIX": str(self.prefix)}
        # Without a window manager Wine draws the caption and the close box itself.
        self.run("reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N",
                 "/f")
        self.c_drive = self.prefix / "drive_c"
        self.appdata = self.c_drive / "users" / os.environ.get("USER", "root") / "AppData" / "Roaming"

    def run(self, *args: str, check: bool = True) -> subprocess.CompletedProcess:
        """A Windows program on this desktop."""
        result = run_windows(*args, env=self.env)
        assert result.returncode == 0 or not check, result.stdout + result.stderr
        return result

    def drive(self, *args: str) -> dict[str, str]:
        """The driver's report as a dictionary: title, message, link, path, ok, ..."""
        lines = self.run(str(DRIVER), *args).stdout.decode("utf-8").splitlines()
        return dict(line.split(": ", 1) for line in lines if ": " in line)

    def close(self):
        if self.server is None:
            return
        run_windows("wineserver", "-k", env=self.env)
        self.server.kill()
        self.server.wait()


@pytest.fixture(scope="session")
def gui():
    gui = Gui()
    yield gui
    gui.close()
