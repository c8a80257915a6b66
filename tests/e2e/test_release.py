"""The release zip as a user gets it: its files and checksums, an example configuration that
names every key of the reference, and the example run beside an executable from the zip with
only "JRE Path" pointed at a runtime."""

import hashlib
import re
import shutil
import zipfile

import pytest

from conftest import ALL_EXECUTABLES, DIST, RUNTIMES, VERSION, App, touch, windows_path

FOLDER = f"quorvane-{VERSION}"


@pytest.fixture(scope="module")
def unpacked(tmp_path_factory):
    archive = DIST / f"{FOLDER}.zip"
    assert archive.is_file(), f"{archive} is missing: run `make release`"
    target = tmp_path_factory.mktemp("release")
    with zipfile.ZipFile(archive) as opened:
        assert opened.testzip() is None
        opened.extractall(target)
    return target / FOLDER


def test_zip_holds_the_deliverables_and_their_checksums(unpacked):
    names = {str(path.relative_to(unpacked)) for path in unpacked.rglob("*") if path.is_file()}
    expected = {*ALL_EXECUTABLES, "examples/quorvane.ini", "README.md", "LICENSE",
                "THIRD-PARTY-NOTICES.md", "SHA256SUMS", "docs/configuration.md",
                "docs/shipping.md"}
    assert expected <= names, expected - names
    sums = dict(reversed(line.split("  ", 1)) for line in
                (unpacked / "SHA256SUMS").read_text().splitlines())
    assert set(sums) == names - {"SHA256SUMS"}
    for name, digest in sums.items():
        assert hashlib.sha256((unpacked / name).read_bytes()).hexdigest() == digest, name
    for executable in ALL_EXECUTABLES:
        assert (unpacked / executable).read_bytes() == (DIST / executable).read_bytes()


def test_example_names_every_key_of_the_reference(unpacked):
    reference = (unpacked / "docs" / "configuration.md").read_text()
    keys = set(re.findall(r"^\| `([A-Za-z ]+)` \|", reference, re.MULTILINE))
    assert len(keys) > 25
    example = (unpacked / "examples" / "quorvane.ini").read_text("ascii")
    written = set(re.findall(r"^;?([A-Za-z ]+)=", example, re.MULTILINE))
    assert keys == written, keys ^ written


@pytest.mark.parametrize("executable", ["quorvane64.exe", "quorvane.exe"])
def test_example_runs_as_a_user_would(tmp_path, unpacked, executable):
    app = App(tmp_path / "My Application", executable)
    shutil.copyfile(unpacked / executable, app.exe)
    touch(*(app.folder / jar for jar in ["app.jar", "lib/one.jar", "lib/two.jar"]))
    runtime = windows_path(RUNTIMES[executable] / "full")
    example = (unpacked / "examples" / "quorvane.ini").read_bytes()
    assert example.count(b";JRE Path=jre\r\n") == 1
    app.ini.write_bytes(example.replace(b";JRE Path=jre\r\n", f"JRE Path={runtime}\r\n".encode()))
    result = app.run("one", "two")
    assert (result.returncode, result.stdout, result.stderr) == \
        (0, b"Hello from com.example.Main, args: 2\r\n", b"")
    [class_path] = [option for option in app.recorded("option") if "class.path" in option]
    jars = [f"{windows_path(app.folder)}\\{jar}" for jar in ["app.jar", "lib\\one.jar", "lib\\two.jar"]]
    first, *rest = class_path.rstrip(";").split(";")
    assert [first, *sorted(rest)] == ["-Djava.class.path=" + jars[0], *jars[1:]]
