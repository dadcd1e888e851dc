"""Builds the pure-Python wheel of the zt7util package with the standard library alone."""

import base64
import hashlib
import io
import tomllib
import zipfile
from pathlib import Path

_ROOT = Path(__file__).resolve().parent


def _metadata() -> dict:
    with open(_ROOT / "pyproject.toml", "rb") as file:
        return tomllib.load(file)["project"]


def _record_line(name: str, data: bytes) -> str:
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}"


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    project = _metadata()
    name, version = project["name"], project["version"]
    dist_info = f"{name}-{version}.dist-info"
    files = {
        str(path.relative_to(_ROOT)): path.read_bytes()
        for path in sorted((_ROOT / name).iterdir())
        if path.suffix in (".py", ".typed")
    }
    files[f"{dist_info}/METADATA"] = (
        "Metadata-Version: 2.1\n"
        f"Name: {name}\nVersion: {version}\nSummary: {project['description']}\n"
        f"Requires-Python: {project['requires-python']}\n"
    ).encode()
    files[f"{dist_info}/WHEEL"] = (
        "Wheel-Version: 1.0\nGenerator: wheel_backend\nRoot-Is-Purelib: true\nTag: py3-none-any\n"
    ).encode()
    record = [_record_line(file_name, data) for file_name, data in files.items()]
    files[f"{dist_info}/RECORD"] = ("\n".join(record + [f"{dist_info}/RECORD,,"]) + "\n").encode()
    wheel_name = f"{name}-{version}-py3-none-any.whl"
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as wheel:
        for file_name, data in files.items():
            wheel.writestr(file_name, data)
    (Path(wheel_directory) / wheel_name).write_bytes(buffer.getvalue())
    return wheel_name
