"""Runs the two deliverables under Wine as a user would: each test gets a folder of its own
holding a copy of the executable and, when the test writes one, its INI file."""

import os
import shutil
import subprocess
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
DIST = Path(os.environ.get("QZ_DIST", ROOT / "dist"))
RUN_WINE = ROOT / "tests" / "wine" / "run-wine.sh"
EXECUTABLES = ["quorvane64.exe", "quorvane.exe"]
MAIN_CLASS_MISSING = b"Error: Main class was not specified in INI file. \r\n"


@pytest.fixture(scope="session", autouse=True)
def tools():
    # A missing tool fails every test loudly; nothing is skipped.
    if shutil.which("wine") is None:
        pytest.fail("wine is not installed: run `make deps` (or scripts/install-deps.sh)")
    for name in EXECUTABLES:
        if not (DIST / name).is_file():
            pytest.fail(f"{DIST / name} is missing: run `make` first")


class App:
    """A folder with one copy of a launcher executable."""

    def __init__(self, folder: Path, executable: str, name: str | None = None):
        self.folder = folder
        self.folder.mkdir(parents=True, exist_ok=True)
        self.exe = folder / (name or executable)
        shutil.copyfile(DIST / executable, self.exe)

    @property
    def ini(self) -> Path:
        return self.exe.with_suffix(".ini")

    def write_ini(self, text: str, encoding: str = "ascii", path: Path | None = None):
        data = text.replace("\n", "\r\n").encode(encoding)
        if encoding == "utf-16-le":
            data = b"\xff\xfe" + data
        (path or self.ini).write_bytes(data)

    def run(self, *args: str, timeout: float = 60) -> subprocess.CompletedProcess:
        return subprocess.run([str(RUN_WINE), str(self.exe), *args], cwd=self.folder,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)


@pytest.fixture(params=EXECUTABLES)
def executable(request) -> str:
    return request.param


@pytest.fixture
def app(tmp_path, executable) -> App:
    return App(tmp_path / "app", executable)
