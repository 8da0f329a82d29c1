"""The package against the simulated hubs of this process's machine."""

import pytest

import quintel
from quintel import QuintelError, UnitError

from conftest import run_python


def test_devices_lists_identifiers_and_serial_numbers():
    found = quintel.devices()
    assert [(d.identifier, d.serial, d.firmware, d.high_speed) for d in found] == [
        (1, 1, 0x100, True), (2, 0x1234, 0x100, True)]
    with quintel.open(2) as hub:
        assert hub.identifier == 2
        assert quintel.devices()[1].is_open
    assert not quintel.devices()[1].is_open


def test_a_pulse_train_set_in_seconds_comes_out_as_set(hub):
    ch = hub.channels[0]
    ch.set(mode="internal", period=1e-3, width=250e-6, delay=100e-6)
    assert (ch.get_raw("high_time"), ch.get_raw("low_time"), ch.get_raw("delay")) == (
        12500, 37500, 5000)
    assert ch.get("high_time") == 250e-6
    assert ch.get("mode") == "internal"
    hub.apply()
    hub.open_outputs(0b1)
    assert hub.measure("out0") == pytest.approx(1e-3, abs=1e-12)
    assert hub.measure("out0", opposite_edge=True) == pytest.approx(250e-6, abs=1e-12)
    assert hub.measure("A") == pytest.approx(1e-3, abs=1e-12)  # the simulated input A: 1 kHz

    hub.channels[1].set(frequency="10kHz", high_time="20us")
    hub.apply()
    hub.open_outputs([0, 1])
    assert hub.measure(4) == pytest.approx(100e-6, abs=1e-12)


def test_every_parameter_by_name_and_number_with_the_librarys_defaults_and_limits(hub):
    ch = hub.channels[3]
    for parameter in quintel.PARAMETERS.values():
        assert ch.get_raw(parameter.name) == parameter.default, parameter.name
        assert ch.get_raw(parameter.number) == parameter.default, parameter.name
        ch.set_raw(parameter.number, parameter.maximum)
        assert ch.get_raw(parameter.name) == parameter.maximum, parameter.name
        if parameter.maximum < 2**32 - 1:
            with pytest.raises(QuintelError) as refused:
                ch.set_raw(parameter.name, parameter.maximum + 1)
            assert refused.value.status == 3
            assert refused.value.name == "QN_ERR_RANGE"
    with pytest.raises(QuintelError) as unknown:
        ch.set_raw(9, 1)
    assert (unknown.value.status, unknown.value.function) == (2, "QnSetParameter")
    assert "unknown parameter identifier" in str(unknown.value)


def test_names_of_modes_and_sources(hub):
    ch = hub.channels[2]
    ch.set(mode="burst", gate_source="out1", pulse_count=5, retrigger=False)
    assert (ch.get_raw("mode"), ch.get_raw("gate_source"), ch.get_raw("retrigger")) == (4, 4, 0)
    ch.set(mode="rate-switch", aux_source="B", ext_source="none")
    assert (ch.get("mode"), ch.get_raw("aux_source"), ch.get_raw("ext_source")) == (
        "rate_switch", 2, 0)
    with pytest.raises(KeyError, match="no mode"):
        ch.set(mode="pulse")
    with pytest.raises(KeyError, match="no source"):
        ch.set(gate_source="C")
    with pytest.raises(KeyError, match="no parameter"):
        ch.set(hight_time=1e-6)


def test_a_refused_setting_leaves_the_settings_as_they_were(hub):
    ch = hub.channels[5]
    before = [ch.get_raw(p) for p in quintel.PARAMETERS]
    with pytest.raises(QuintelError):
        ch.set(high_time=1e-6, pulse_count=70000)
    with pytest.raises(UnitError, match="not longer than high_time"):
        ch.set(high_time=2e-3, period=1e-3)
    with pytest.raises(UnitError, match="also given"):
        ch.set(period=1e-3, low_time=1e-3)
    with pytest.raises(UnitError, match="no whole number"):
        ch.set(delay=1e-6, high_time=7e-9)
    with pytest.raises(QuintelError):
        hub.set_all(high_time=1e-6, gate_source=11)
    assert [ch.get_raw(p) for p in quintel.PARAMETERS] == before


def test_times_of_the_external_clock_mode_are_transitions(hub):
    ch = hub.channels[6]
    with pytest.raises(UnitError, match="mode external"):
        ch.set(mode="external", high_time=1e-6)
    assert ch.get_raw("mode") == 0
    ch.set(mode="external", ext_source="B")
    ch.set_raw("high_time", 2)
    ch.set_raw("low_time", 8)
    assert ch.get("high_time") == 2
    hub.apply()
    hub.open_outputs(1 << 6)
    # Ten transitions of the 2500 Hz input B: a period of 2 ms.
    assert hub.measure("out6") == pytest.approx(2e-3, rel=1e-4)


def test_a_closed_hub_refuses_further_calls():
    hub = quintel.open()
    hub.close()
    with pytest.raises(QuintelError) as closed:
        hub.apply()
    assert closed.value.status == 10
    hub.close()  # twice is harmless


def test_errors_carry_the_status_and_its_text():
    with pytest.raises(QuintelError) as missing:
        quintel.open(5)
    assert missing.value.status == 6
    assert missing.value.text == "no hub has this identifier"
    assert str(missing.value).startswith("QnOpenDevice failed: QN_ERR_NO_DEVICE (6)")
    assert quintel.status_name(12) == "QN_ERR_TIMEOUT"


def test_no_hub_no_signal_and_no_library_are_said_clearly():
    none = run_python("import quintel\ntry:\n    quintel.open()\nexcept quintel.QuintelError as e:"
                      "\n    print(e.status, e)", devices="")
    assert none.stdout.startswith("6 quintel.open failed: QN_ERR_NO_DEVICE"), none.stderr
    silent = run_python("import quintel\nwith quintel.open() as hub:\n    try:\n"
                        "        hub.measure('A', timeout=0.05)\n"
                        "    except quintel.QuintelError as e:\n        print(e.status)",
                        devices="sim:a=0")
    assert silent.stdout.strip() == "12", silent.stderr
    lost = run_python("import quintel\nquintel.devices()", devices="sim",
                      QUINTELDRV_LIBRARY="/nonexistent/libQuintelDrv.so")
    assert "QuintelDrv was not found; set QUINTELDRV_LIBRARY" in lost.stderr
