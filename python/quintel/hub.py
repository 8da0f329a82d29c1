"""Hubs and their channels: finding, opening, setting, applying, switching and measuring."""

import collections
import contextlib
import ctypes

from . import _library
from .errors import QuintelError, UnitError
from .names import (EXTERNAL_CLOCK, PARAMETERS, mode_name, mode_number, parameter_named,
                    parameter_number, source_number)
from .units import period_ticks, to_seconds, to_ticks

DeviceInfo = collections.namedtuple("DeviceInfo", "identifier serial firmware high_speed is_open")
DeviceInfo.__doc__ = """A hub the library found: the identifier to open it with, the serial
number and firmware version of its information block (0 without one), whether it is on a
Hi-Speed port, and whether it is open in this process."""

_OK = 0
_ALREADY_OPEN = 9
_NO_DEVICE = 6
_HIGH_SPEED = 20
_ALL_CHANNELS = 8
CHANNELS = 8

# The derived values set() takes, each giving its pulse set's low time or high time.
_PERIODS = {"period": ("high_time", "low_time"), "period2": ("high_time2", "low_time2")}
_RATES = {"frequency": "period", "frequency2": "period2"}
_WIDTHS = {"width": "high_time", "width2": "high_time2"}


def _check(status, function, handle=None, detail=""):
    if status != _OK:
        hardware = ""
        if handle:
            code = ctypes.c_int32()
            text = ctypes.create_string_buffer(128)
            if _library.library().QnGetHardwareError(handle, ctypes.byref(code), text,
                                                     len(text)) == _OK and code.value != 0:
                hardware = text.value.decode(errors="replace")
        raise QuintelError(status, function, detail, hardware)


def devices():
    """The hubs the library finds, as DeviceInfo records (probing them afresh unless a hub is
    open in this process)."""
    qn = _library.library()
    status = qn.QnLoadDriver()
    if status != _ALREADY_OPEN:
        _check(status, "QnLoadDriver")
    records = (_library.DeviceRecord * 5)()
    count = ctypes.c_uint32(len(records))
    _check(qn.QnEnumDevices(records, ctypes.byref(count)), "QnEnumDevices")
    return [DeviceInfo(r.id, r.serial & 0xFFFFFFFF, r.firmware, r.speed_code == _HIGH_SPEED,
                       bool(r.is_open)) for r in records[:count.value]]


def open(identifier=None):  # noqa: A001 - quintel.open() is the natural name
    """Opens the hub with this identifier (see devices()), or the first hub; use it in a with
    statement so that it is closed again."""
    if identifier is None:
        found = devices()
        if not found:
            raise QuintelError(_NO_DEVICE, "quintel.open", "no hub was found")
        identifier = found[0].identifier
    else:
        devices()
    return Hub(identifier)


class Channel:
    """One of the eight outputs of a hub. Changes go to the hub's working settings and reach
    the hub with Hub.apply()."""

    def __init__(self, hub, number):
        self._hub = hub
        self.number = number

    def __repr__(self):
        return "<quintel.Channel %d of hub %d>" % (self.number, self._hub.identifier)

    def set_raw(self, parameter, value):
        """Sets a parameter by name or by the library's number to a raw value: ticks of 20 ns
        for times (clock transitions in mode external), source and mode numbers."""
        self._hub._set_parameter(self.number, parameter_number(parameter), value)

    def get_raw(self, parameter):
        """A parameter's raw value, by name or number."""
        return self._hub._get_parameter(self.number, parameter_number(parameter))

    def get(self, parameter):
        """A parameter in the units of set(): seconds for times (clock transitions in mode
        external), the name of the mode, numbers otherwise."""
        number = parameter_number(parameter)
        value = self.get_raw(number)
        described = parameter_named(number)
        if described is None:
            return value
        if described.kind == "mode":
            return mode_name(value)
        if described.kind == "time" and self.get_raw("mode") != EXTERNAL_CLOCK:
            return to_seconds(value)
        return value

    def set(self, **values):
        """Sets parameters by name in a lab's units, in the order given:

        - mode: a name (internal, external, start_stop, rate_switch, burst) or number;
        - delay, high_time, low_time, delay2, high_time2, low_time2: seconds, or text such as
          "250us"; width and width2 are high_time and high_time2;
        - period, period2: seconds; frequency, frequency2: hertz or text such as "10kHz". They
          set low_time (low_time2) to the period less high_time (high_time2), once the other
          values are set;
        - gate_source, aux_source, ext_source: none, A, B, out0 to out7, or a number;
        - invert, idle_level, gate_invert, aux_invert, ext_invert, retrigger: 0 or 1 (or bool);
          pulse_count: a number.

        Times must be whole numbers of 20 ns ticks (UnitError otherwise). In mode external the
        times count clock transitions: set them with set_raw(). A value refused leaves the
        settings as they were."""
        raw, periods, timed = self._converted(values)
        with self._hub._unchanged_on_error():
            for name, value in raw:
                self.set_raw(name, value)
            if (timed or periods) and self.get_raw("mode") == EXTERNAL_CLOCK:
                raise UnitError("channel %d is in mode external, where %s count transitions of "
                                "the clock input: set them with set_raw()"
                                % (self.number, ", ".join(timed + list(periods))))
            for name, ticks in periods.items():
                high, low = _PERIODS[name]
                high_ticks = self.get_raw(high)
                if ticks <= high_ticks:
                    raise UnitError("%s of %d ticks is not longer than %s of %d ticks on channel "
                                    "%d" % (name, ticks, high, high_ticks, self.number))
                self.set_raw(low, ticks - high_ticks)

    @staticmethod
    def _converted(values):
        """The raw values in order, the periods in ticks, and the names given as times."""
        raw, periods, timed = [], {}, []
        for name, value in values.items():
            if name in _RATES or name in _PERIODS:
                period = _RATES.get(name, name)
                periods[period] = (period_ticks(value, name) if name in _RATES
                                   else to_ticks(value, name))
                continue
            name = _WIDTHS.get(name, name)
            described = PARAMETERS.get(name)
            if described is None:
                raise KeyError("%r is no parameter (known: %s, period, period2, frequency, "
                               "frequency2, width, width2)" % (name, ", ".join(PARAMETERS)))
            if described.kind == "time":
                timed.append(name)
                raw.append((name, to_ticks(value, name)))
            elif described.kind == "mode":
                raw.append((name, mode_number(value)))
            elif described.kind == "source":
                raw.append((name, source_number(value)))
            else:
                raw.append((name, int(value)))
        for period in periods:
            low = _PERIODS[period][1]
            if any(name == low for name, _ in raw):
                raise UnitError("%s sets %s, which is also given: give one of them" % (period, low))
        return raw, periods, timed


class Hub:
    """An open hub: its eight channels, its working settings and its measurement."""

    def __init__(self, identifier):
        self._qn = _library.library()
        self._handle = ctypes.c_void_p()
        self.identifier = identifier
        _check(self._qn.QnOpenDevice(identifier, ctypes.byref(self._handle)), "QnOpenDevice",
               detail="identifier %d" % identifier)
        self._settings = _library.DeviceSettings()
        self._settings.size = _library.SETTINGS_SIZE
        _check(self._qn.QnReadDeviceSettings(self._handle, ctypes.byref(self._settings)),
               "QnReadDeviceSettings", self._handle)
        self.channels = tuple(Channel(self, number) for number in range(CHANNELS))

    def __repr__(self):
        state = "open" if self._handle else "closed"
        return "<quintel.Hub %d, %s>" % (self.identifier, state)

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def close(self):
        """Closes the hub; the outputs keep running as they are."""
        if self._handle:
            handle, self._handle = self._handle, ctypes.c_void_p()
            _check(self._qn.QnCloseDevice(handle), "QnCloseDevice")

    def _opened(self):
        if not self._handle:
            raise QuintelError(10, "quintel.Hub", "the hub is closed")
        return self._handle

    @contextlib.contextmanager
    def _unchanged_on_error(self):
        """Puts the working settings back as they were when the block fails."""
        saved = bytes(self._settings)
        try:
            yield
        except BaseException:
            ctypes.memmove(ctypes.addressof(self._settings), saved, len(saved))
            raise

    def _set_parameter(self, channel, number, value):
        if isinstance(value, bool):
            value = int(value)
        if not isinstance(value, int) or not 0 <= value <= 2**32 - 1:
            raise UnitError("parameter %d needs a whole number from 0 to 4294967295, not %r"
                            % (number, value))
        _check(self._qn.QnSetParameter(self._opened(), ctypes.byref(self._settings), channel,
                                       number, value),
               "QnSetParameter", detail="channel %s, parameter %d, value %d"
               % ("all" if channel == _ALL_CHANNELS else channel, number, value))

    def _get_parameter(self, channel, number):
        value = ctypes.c_int32()
        _check(self._qn.QnGetParameter(self._opened(), ctypes.byref(self._settings), channel,
                                       number, ctypes.byref(value)),
               "QnGetParameter", detail="channel %d, parameter %d" % (channel, number))
        return value.value & 0xFFFFFFFF

    def set_all(self, **values):
        """Channel.set() for all eight channels; a refusal leaves every channel as it was."""
        with self._unchanged_on_error():
            for channel in self.channels:
                channel.set(**values)

    def apply(self):
        """Sends the working settings to the hub in one refresh: the library uploads only the
        channels that changed, and all running outputs restart in step."""
        _check(self._qn.QnRefreshDeviceSettings(self._opened(), ctypes.byref(self._settings)),
               "QnRefreshDeviceSettings", self._handle)

    @staticmethod
    def _mask(outputs):
        if isinstance(outputs, int):
            return outputs
        mask = 0
        for channel in outputs:
            mask |= 1 << int(channel)
        return mask

    def open_outputs(self, outputs=0xFF):
        """Opens outputs: a mask (bit n is channel n) or channel numbers ([0, 2])."""
        _check(self._qn.QnOpenOutputs(self._opened(), self._mask(outputs)), "QnOpenOutputs",
               self._handle)

    def close_outputs(self, outputs=0xFF):
        """Closes outputs: a mask or channel numbers; all by default."""
        _check(self._qn.QnCloseOutputs(self._opened(), self._mask(outputs)), "QnCloseOutputs",
               self._handle)

    def measure(self, source, opposite_edge=False, falling=False, timeout=1.0):
        """Times a signal (A, B, out0 to out7, or a source number) and answers seconds: the
        period, or with opposite_edge the time from an edge to the next edge of the other
        direction (the pulse width from a rising edge). Waits at most `timeout` seconds;
        QuintelError QN_ERR_TIMEOUT when the signal does not change."""
        result = ctypes.c_int32()
        milliseconds = max(1, int(round(timeout * 1000)))
        _check(self._qn.QnSynchMeasure(self._opened(), source_number(source),
                                       1 if opposite_edge else 0, 1 if falling else 0,
                                       ctypes.byref(result), milliseconds),
               "QnSynchMeasure", self._handle, detail="source %s" % (source,))
        return result.value * 1e-9

    def read_register(self, register):
        """A hub register, 0 to 255."""
        value = ctypes.c_int32()
        _check(self._qn.QnReadRegister(self._opened(), register, ctypes.byref(value)),
               "QnReadRegister", self._handle)
        return value.value

    def write_register(self, register, value):
        _check(self._qn.QnWriteRegister(self._opened(), register, value), "QnWriteRegister",
               self._handle)


def unload():
    """Ends the library's use in this process (QnUnloadDriver): hubs must be open again."""
    _library.library().QnUnloadDriver()


def version():
    """The library's version as (major, minor)."""
    numbers = [ctypes.c_uint16() for _ in range(3)]
    _check(_library.library().QnGetVersion(*[ctypes.byref(n) for n in numbers]), "QnGetVersion")
    return numbers[0].value, numbers[1].value
