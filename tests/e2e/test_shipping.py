"""What a shipped executable carries: its version resource and icons, read back as Explorer reads
them; paths beyond 260 units; and copies that users brand (icon and version strings replaced) and
sign, which must still run main, read their own INI and show their messages."""

import shutil
import struct
import subprocess
import zlib

import pytest

from conftest import ALL_EXECUTABLES, BUILD, MAIN_CLASS_MISSING, MINUS_ONE, ROOT, RUNNER, App, windows_path

TOOLS = BUILD / "win64" / "tests"
VERSION = (ROOT / "VERSION").read_text().strip()


def resource_info(path) -> dict[str, str]:
    result = subprocess.run([*RUNNER, str(TOOLS / "resource_info.exe"), windows_path(path)],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    assert result.returncode == 0, result.stderr
    lines = result.stdout.decode("utf-8").splitlines()
    return dict(line.split(": ", 1) for line in lines)


@pytest.mark.parametrize("executable", ALL_EXECUTABLES)
def test_version_resource_names_the_file_and_the_version(tmp_path, executable):
    app = App(tmp_path / "app", executable)
    info = resource_info(app.exe)
    kind = "windowless" if executable.endswith("w.exe") else "console"
    processor = "x64" if "64" in executable else "x86"
    assert info == {
        "FixedFileVersion": f"{VERSION}.0",
        "FixedProductVersion": f"{VERSION}.0",
        "Translation": "0409 04b0",
        "CompanyName": "The Quorvane developers",
        "FileDescription": f"Quorvane Java launcher, {kind} ({processor})",
        "FileVersion": VERSION,
        "InternalName": executable.removesuffix("w.exe").removesuffix(".exe"),
        "LegalCopyright": "Copyright (c) 2026 The Quorvane developers. MIT License.",
        "OriginalFilename": executable,
        "ProductName": "Quorvane",
        "ProductVersion": VERSION,
        "Icons": "16x16 32x32 48x48 256x256",
    }


# Every message of the string table as the user must read it, written out here on purpose rather
# than taken from the header that builds the resources.
MESSAGES = {
    202: r"Windows exception: %s (errno = %d).\n",
    203: r"JNI exception: %s\nReason: %s.\n",
    204: r"COM error: %s (errno = %d).\n",
    205: r"JNI exception: %s.\n",
    206: "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
         "with a server JVM (%s) from:",
    207: "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
         "(%s) from:",
    208: "failed to get the module path",
    209: "Java Class Path was not specified in INI file.",
    210: "Main class was not specified in INI file.",
    211: r"Failed to load Main Class: %s.\n",
    212: "cannot find CreateJavaVM JNI",
    213: "failed to create the Java VM",
    214: "Browse for JRE folder",
    215: r"Could not find the main class %s.\n",
    216: r"No main method found in specified class.\n",
    217: "latest version",
    218: "maximum version %s",
    219: "minimum version %s",
    220: "version %s is required",
    221: "version between %s and %s",
    222: r"Failed to load Java VM library: %s (errno = %d).\n",
    223: "failed to initialize",
    224: "failed to initialize module",
    225: "unknown",
    226: "thread detached from VM",
    227: "JNI version error",
    228: "not enough memory",
    229: "VM already created",
    230: "invalid arguments",
    231: "(none)",
    232: "Failed to start the Pair Product %s (errno = %d).",
    233: "The Pair Product %s is this executable itself: the launch is not handed over.",
    234: "The Pair Product %s is not started: this executable was itself started by a hand-over, "
         "and a launch is handed over only once.",
}


@pytest.mark.parametrize("executable", ALL_EXECUTABLES)
def test_string_table_holds_every_message_literally(tmp_path, executable):
    app = App(tmp_path / "app", executable)
    result = subprocess.run([*RUNNER, str(TOOLS / "resource_info.exe"), "--strings",
                             windows_path(app.exe), "202", "234"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    assert result.returncode == 0, result.stderr
    texts = dict(line.split(": ", 1) for line in result.stdout.decode("utf-8").splitlines())
    assert texts == {str(key): value for key, value in MESSAGES.items()}


def test_class_path_folder_beyond_260_units(tmp_path, executable):
    """A wildcard class path in a folder whose path is over 300 units long. (The executable itself
    stays on a short path: Wine cannot start a program from a longer one.)"""
    deep = tmp_path / "jars"
    while len(windows_path(deep)) < 300:
        deep = deep / ("long folder name " + "x" * 40)
    deep.mkdir(parents=True)
    for name in ["one.jar", "two.jar"]:
        (deep / name).write_bytes(b"")
    app = App(tmp_path / "app", executable)
    app.write_ini(f"[Java Runtime Environment]\nMain Class=test.Echo\n"
                  f"JRE Path={windows_path(app.runtime('full'))}\n"
                  f"[Class Path]\nClass Path={windows_path(deep)}\\*.jar\n")
    result = app.run("x")
    assert result.returncode == 0, result.stdout + result.stderr
    assert result.stdout == b"args: 1\r\nx\r\n"
    options = [option for option in app.recorded("option") if option.startswith("-Djava.class.path=")]
    jars = sorted(f"{windows_path(deep)}\\{name}" for name in ["one.jar", "two.jar"])
    assert sorted(options[0].removeprefix("-Djava.class.path=").rstrip(";").split(";")) == jars


def png(size: int, rgb: tuple) -> bytes:
    rows = b"".join(b"\x00" + bytes(rgb + (255,)) * size for _ in range(size))

    def chunk(kind: bytes, data: bytes) -> bytes:
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def icon_file(path, sizes) -> None:
    """An .ico of PNG images, one per size, as a user's icon editor writes it."""
    images = [png(size, (200, 40, size % 256)) for size in sizes]
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    path.write_bytes(struct.pack("<HHH", 0, 1, len(images)) + entries + b"".join(images))


def brand(app: App, tmp_path) -> None:
    icon = tmp_path / "acme.ico"
    icon_file(icon, [16, 32, 256])
    result = subprocess.run([*RUNNER, str(TOOLS / "brand.exe"), windows_path(app.exe),
                             windows_path(icon), "ProductName=Acme Tool",
                             "FileDescription=Acme Tool", "CompanyName=Acme Ltd",
                             "OriginalFilename=Acme Tool.exe", "FileVersion=4.2.0"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    assert result.returncode == 0, result.stderr
    info = resource_info(app.exe)
    assert (info["ProductName"], info["CompanyName"], info["FileVersion"], info["Icons"]) == (
        "Acme Tool", "Acme Ltd", "4.2.0", "16x16 32x32 256x256")


def still_works(app: App) -> None:
    """Runs main from its own INI, then shows a message of its string table."""
    app.configure("test.Echo")
    result = app.run("x")
    assert (result.returncode, result.stdout) == (0, b"args: 1\r\nx\r\n"), result.stderr
    app.ini.unlink()
    result = app.run()
    assert (result.returncode, result.stdout) == (MINUS_ONE, MAIN_CLASS_MISSING)


def test_branded_copy_still_works(tmp_path, executable):
    app = App(tmp_path / "app", executable, name="Acme Tool.exe")
    brand(app, tmp_path)
    still_works(app)


@pytest.fixture(scope="module")
def certificate(tmp_path_factory):
    """A throwaway code-signing certificate and its key."""
    folder = tmp_path_factory.mktemp("certificate")
    for tool in ["openssl", "osslsigncode"]:
        assert shutil.which(tool), f"{tool} is not installed: run `make deps`"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                    "-keyout", folder / "key.pem", "-out", folder / "cert.pem", "-days", "2",
                    "-subj", "/CN=Quorvane Test Signer", "-addext", "extendedKeyUsage=codeSigning"],
                   check=True, capture_output=True)
    return folder


def test_branded_and_signed_copy_still_works(tmp_path, executable, certificate):
    app = App(tmp_path / "app", executable, name="Acme Tool.exe")
    brand(app, tmp_path)
    unsigned = tmp_path / "unsigned.exe"
    app.exe.rename(unsigned)
    subprocess.run(["osslsigncode", "sign", "-certs", certificate / "cert.pem",
                    "-key", certificate / "key.pem", "-n", "Acme Tool", "-h", "sha256",
                    "-in", unsigned, "-out", app.exe], check=True, capture_output=True)
    verified = subprocess.run(["osslsigncode", "verify", "-in", app.exe,
                               "-CAfile", certificate / "cert.pem"], capture_output=True)
    assert verified.returncode == 0, verified.stdout + verified.stderr
    assert b"Signature verification: ok" in verified.stdout
    still_works(app)
