"""What a shipped executable carries: its subsystem, version resource, icons and messages, read
back as Explorer reads them; and a copy that a user brands (icon and version strings replaced)
and signs, which must still run main, read its own INI and show its messages."""

import subprocess
import struct

import pytest

from conftest import (ALL_EXECUTABLES, DIST, MAIN_CLASS_MISSING, MINUS_ONE, TOOLS, VERSION, App, run_windows,
                      windows_path)



def tool(name: str, *args: str) -> dict[str, str]:
    """A tool's report of "Name: value" lines as a dictionary."""
    result = run_windows(str(TOOLS / name), *args, timeout=60)
    assert result.returncode == 0, result.stderr
    return dict(line.split(": ", 1) for line in result.stdout.decode("utf-8").splitlines())


# The messages of the string table that no other test prints and checks whole, written out here
# on purpose rather than taken from the header that builds the resources.
MESSAGES = {
    204: r"COM error: %s (errno = %d).\n",
    205: r"JNI exception: %s.\n",
    208: "failed to get the module path",
    223: "failed to initialize",
    224: "failed to initialize module",
    225: "unknown",
    226: "thread detached from VM",
    227: "JNI version error",
    229: "VM already created",
    230: "invalid arguments",
    231: "(none)",
    232: "Failed to start the Pair Product %s (errno = %d).",
    233: "The Pair Product %s is this executable itself: the launch is not handed over.",
    234: "The Pair Product %s is not started: this executable was itself started by a hand-over, "
         "and a launch is handed over only once.",
}


@pytest.mark.parametrize("executable", ALL_EXECUTABLES)
def test_subsystem_version_resource_and_string_table(executable):
    windowless, shipped = executable.endswith("w.exe"), DIST / executable
    image = shipped.read_bytes()
    pe_header = int.from_bytes(image[0x3C:0x40], "little")
    assert image[pe_header + 0x5C] == (2 if windowless else 3)  # the GUI or the console subsystem
    assert tool("resource_info.exe", windows_path(shipped)) == {
        "FixedFileVersion": f"{VERSION}.0",
        "FixedProductVersion": f"{VERSION}.0",
        "Translation": "0409 04b0",
        "CompanyName": "The Quorvane developers",
        "FileDescription": f"Quorvane Java launcher, {'windowless' if windowless else 'console'} "
                           f"({'x64' if '64' in executable else 'x86'})",
        "FileVersion": VERSION,
        "InternalName": executable.removesuffix("w.exe").removesuffix(".exe"),
        "LegalCopyright": "Copyright (c) 2026 The Quorvane developers. MIT License.",
        "OriginalFilename": executable,
        "ProductName": "Quorvane",
        "ProductVersion": VERSION,
        "Icons": "16x16 32x32 48x48 256x256",
    }
    texts = tool("resource_info.exe", "--strings", windows_path(shipped), "202", "234")
    assert len(texts) == 33
    assert {key: texts[str(key)] for key in MESSAGES} == MESSAGES


def test_branded_and_signed_copy_still_works(tmp_path, executable):
    app = App(tmp_path / "app", executable, name="Acme Tool.exe")
    # An icon of three PNG images; only its directory is read back, so each image is just the
    # PNG signature.
    entries = [struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, 8, 54 + 8 * index)
               for index, size in enumerate([16, 32, 256])]
    (tmp_path / "acme.ico").write_bytes(struct.pack("<HHH", 0, 1, 3) + b"".join(entries) +
                                        b"\x89PNG\r\n\x1a\n" * 3)
    tool("brand.exe", windows_path(app.exe), windows_path(tmp_path / "acme.ico"),
         "ProductName=Acme Tool", "FileDescription=Acme Tool", "CompanyName=Acme Ltd",
         "OriginalFilename=Acme Tool.exe", "FileVersion=4.2.0")
    info = tool("resource_info.exe", windows_path(app.exe))
    assert (info["ProductName"], info["CompanyName"], info["FileVersion"], info["Icons"]) == (
        "Acme Tool", "Acme Ltd", "4.2.0", "16x16 32x32 256x256")
    # Signed with a throwaway code-signing certificate.
    key, certificate, unsigned = tmp_path / "key.pem", tmp_path / "cert.pem", tmp_path / "u.exe"
    app.exe.rename(unsigned)
    for command in [["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                     "-out", certificate, "-days", "2", "-subj", "/CN=Quorvane Test Signer",
                     "-addext", "extendedKeyUsage=codeSigning"],
                    ["osslsigncode", "sign", "-certs", certificate, "-key", key, "-n", "Acme Tool",
                     "-h", "sha256", "-in", unsigned, "-out", app.exe]]:
        subprocess.run(command, check=True, capture_output=True)
    verified = subprocess.run(["osslsigncode", "verify", "-in", app.exe, "-CAfile", certificate],
                              capture_output=True)
    assert b"Signature verification: ok" in verified.stdout, verified.stdout + verified.stderr
    # It runs main from its own INI, then shows a message of its string table.
    app.configure("test.Echo")
    result = app.run("x")
    assert (result.returncode, result.stdout) == (0, b"args: 1\r\nx\r\n"), result.stderr
    app.ini.unlink()
    result = app.run()
    assert (result.returncode, result.stdout) == (MINUS_ONE, MAIN_CLASS_MISSING)
