"""The names of the library's channel parameters, modes and signal sources.

Names are those of the diagnostic tool in lower case (high_time, gate_source); the same
reference is `zousbdiag help parameters` and `zousbdiag help modes`.
"""

import collections

Parameter = collections.namedtuple("Parameter", "name number kind maximum default")
Parameter.__doc__ = """A channel parameter: its name, the library's number (QN_PARAM_...), what
its value counts (mode, time, level, source, count), its largest value and its default."""

PARAMETERS = {p.name: p for p in (
    Parameter("mode", 0, "mode", 4, 0),
    Parameter("delay", 1, "time", 2**32 - 1, 0),
    Parameter("high_time", 2, "time", 2**32 - 1, 1),
    Parameter("low_time", 3, "time", 2**32 - 1, 1),
    Parameter("invert", 4, "level", 1, 0),
    Parameter("idle_level", 5, "level", 1, 0),
    Parameter("gate_source", 6, "source", 10, 0),
    Parameter("gate_invert", 7, "level", 1, 0),
    Parameter("aux_source", 10, "source", 10, 0),
    Parameter("aux_invert", 11, "level", 1, 0),
    Parameter("delay2", 14, "time", 2**32 - 1, 0),
    Parameter("high_time2", 15, "time", 2**32 - 1, 1),
    Parameter("low_time2", 16, "time", 2**32 - 1, 1),
    Parameter("ext_source", 19, "source", 10, 1),
    Parameter("ext_invert", 20, "level", 1, 0),
    Parameter("pulse_count", 23, "count", 65535, 1),
    Parameter("retrigger", 24, "level", 1, 1),
)}

# The modes by name; "burst" is "Burst Retriggered" with retrigger 1, "Burst Single" with 0.
MODES = {"internal": 0, "external": 1, "start_stop": 2, "rate_switch": 3, "burst": 4}
EXTERNAL_CLOCK = MODES["external"]

# The sources a channel or a measurement reads: none, the inputs, the outputs of the channels.
SOURCES = {"none": 0, "A": 1, "B": 2}
SOURCES.update({"out%d" % channel: 3 + channel for channel in range(8)})


def parameter_number(parameter):
    """The library's number of a parameter given by name (either case) or number."""
    if isinstance(parameter, int) and not isinstance(parameter, bool):
        return parameter
    found = PARAMETERS.get(str(parameter).lower())
    if found is None:
        raise KeyError("%r is no parameter (known: %s)" % (parameter, ", ".join(PARAMETERS)))
    return found.number


def parameter_named(number):
    """The Parameter with this number, or None."""
    return next((p for p in PARAMETERS.values() if p.number == number), None)


def mode_number(mode):
    """A mode by name (internal, external, start_stop or start-stop, ...) or number."""
    if isinstance(mode, int) and not isinstance(mode, bool):
        return mode
    key = str(mode).lower().replace("-", "_")
    if key not in MODES:
        raise KeyError("%r is no mode (known: %s)" % (mode, ", ".join(MODES)))
    return MODES[key]


def mode_name(number):
    return next((name for name, value in MODES.items() if value == number), str(number))


def source_number(source):
    """A source by name (none, A, B, out0 to out7, either case) or number 0 to 10."""
    if isinstance(source, int) and not isinstance(source, bool):
        return source
    for name, number in SOURCES.items():
        if str(source).lower() == name.lower():
            return number
    raise KeyError("%r is no source (known: %s)" % (source, ", ".join(SOURCES)))
