"""Every test process gets its own simulated machine with two hubs, made on first use."""

import atexit
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

import pytest

# Read when the library makes the process's machine, at its first call.
os.environ["ZOUSB_DEVICES"] = "sim;sim:serial=0x1234"
os.environ.pop("ZOUSB_CAPTURE", None)

# Access locks and registry hives of this test run only, so that two runs on one machine never
# wait on each other and no test touches the user's own registry.
_RUN_FOLDER = pathlib.Path(tempfile.mkdtemp(prefix="quintel-pytest-"))
atexit.register(shutil.rmtree, _RUN_FOLDER, True)
(_RUN_FOLDER / "locks").mkdir()
os.environ["ZO_LOCK_DIR"] = str(_RUN_FOLDER / "locks")
os.environ["ZO_REGISTRY_DIR"] = str(_RUN_FOLDER / "registry")

PACKAGE_FOLDER = pathlib.Path(__file__).resolve().parent.parent


def run_python(code, devices, **environment):
    """Runs code in a Python process of its own with its own machine of `devices` hubs."""
    variables = dict(os.environ, ZOUSB_DEVICES=devices, **environment)
    variables["PYTHONPATH"] = str(PACKAGE_FOLDER)
    return subprocess.run([sys.executable, "-c", code], env=variables, capture_output=True,
                          text=True, timeout=60)


@pytest.fixture
def hub():
    import quintel
    with quintel.open() as opened:
        yield opened
