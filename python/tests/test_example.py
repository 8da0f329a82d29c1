import os
import subprocess
import sys

from conftest import PACKAGE_FOLDER


def test_the_example_script_runs_as_documented():
    example = PACKAGE_FOLDER / "examples" / "pulse_train.py"
    environment = dict(os.environ, ZOUSB_DEVICES="sim", PYTHONPATH=str(PACKAGE_FOLDER))
    run = subprocess.run([sys.executable, str(example)], env=environment, capture_output=True,
                         text=True, timeout=60)
    assert run.returncode == 0, run.stderr
    assert "input A: 1000 Hz" in run.stdout
    assert "output 0: period 1 ms, width 250 us" in run.stdout
