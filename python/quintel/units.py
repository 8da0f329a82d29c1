"""Times and rates in the units of a lab, converted exactly to the hub's ticks.

The hub counts ticks of its 50 MHz clock, 20 ns each. Times are given in seconds (int, float,
fractions.Fraction, decimal.Decimal) or as text with a unit ("250us", "1.5ms", "20ns"); rates in
hertz or as text ("10kHz"). A float is taken as the decimal number it prints as, so 250e-6 is
exactly 250 microseconds. A value that is no whole number of ticks is refused with UnitError,
which names the nearest representable values: the hub never runs at a time nobody asked for.
"""

import decimal
import fractions
import numbers
import re

from .errors import UnitError

TICKS_PER_SECOND = 50_000_000
SECONDS_PER_TICK = fractions.Fraction(1, TICKS_PER_SECOND)
MAX_TICKS = 2**32 - 1

_TIME_UNITS = {"s": 1, "ms": fractions.Fraction(1, 10**3), "us": fractions.Fraction(1, 10**6),
               "\u00b5s": fractions.Fraction(1, 10**6), "\u03bcs": fractions.Fraction(1, 10**6),
               "ns": fractions.Fraction(1, 10**9)}
_RATE_UNITS = {"hz": 1, "khz": 10**3, "mhz": 10**6}
_QUANTITY = re.compile(r"^\s*(\d+(?:\.\d*)?|\.\d+)\s*([^\d\s.]+)\s*$")


def _exact(value, what):
    """The value as an exact fraction: a float as the decimal it prints as."""
    if isinstance(value, bool) or not isinstance(value, (numbers.Real, decimal.Decimal)):
        raise UnitError("%s must be a number, not %r" % (what, value))
    if isinstance(value, float):
        if value != value or value in (float("inf"), float("-inf")):
            raise UnitError("%s must be a finite number, not %r" % (what, value))
        return fractions.Fraction(repr(value))
    return fractions.Fraction(value)


def _quantity(text, units, what):
    match = _QUANTITY.match(text)
    unit = match.group(2).lower() if match else None
    if not match or unit not in units:
        raise UnitError("%s: %r is not a number with a unit (%s)"
                        % (what, text, ", ".join(sorted(units))))
    return fractions.Fraction(match.group(1)) * units[unit]


def seconds_of(value, what="a time"):
    """The value in seconds as an exact fraction: a number of seconds or a text with a unit."""
    if isinstance(value, str):
        return _quantity(value, _TIME_UNITS, what)
    return _exact(value, what)


def _text(seconds):
    """250us, 1.5ms: an exact fraction of seconds written readably."""
    for unit, size in (("s", 1), ("ms", fractions.Fraction(1, 10**3)),
                       ("us", fractions.Fraction(1, 10**6))):
        if seconds >= size:
            return "%s%s" % (_decimal(seconds / size), unit)
    return "%sns" % _decimal(seconds * 10**9)


def _decimal(value):
    text = "%.9f" % float(value)
    return text.rstrip("0").rstrip(".")


def _whole_ticks(ticks, what, shown):
    if ticks < 0:
        raise UnitError("%s %s is negative" % (what, shown))
    if ticks.denominator != 1:
        low = int(ticks)
        raise UnitError("%s %s is no whole number of 20 ns ticks (%s ticks): the nearest are "
                        "%d ticks (%s) and %d ticks (%s)"
                        % (what, shown, _decimal(ticks), low, _text(low * SECONDS_PER_TICK),
                           low + 1, _text((low + 1) * SECONDS_PER_TICK)))
    if ticks > MAX_TICKS:
        raise UnitError("%s %s is longer than the longest time, %d ticks (%s)"
                        % (what, shown, MAX_TICKS, _text(MAX_TICKS * SECONDS_PER_TICK)))
    return int(ticks)


def to_ticks(value, what="a time"):
    """Exact ticks of 20 ns for a time in seconds (or a text such as "250us")."""
    seconds = seconds_of(value, what)
    shown = value if isinstance(value, str) else "%ss" % _decimal(seconds)
    return _whole_ticks(seconds * TICKS_PER_SECOND, what, shown)


def period_ticks(hertz, what="a rate"):
    """Exact ticks of one period of a rate in hertz (or a text such as "10kHz")."""
    rate = _quantity(hertz, _RATE_UNITS, what) if isinstance(hertz, str) else _exact(hertz, what)
    if rate <= 0:
        raise UnitError("%s must be above 0 Hz, not %s" % (what, hertz))
    shown = hertz if isinstance(hertz, str) else "%s Hz" % _decimal(rate)
    return _whole_ticks(TICKS_PER_SECOND / rate, what, shown)


def to_seconds(ticks):
    """Ticks of 20 ns as seconds (float)."""
    return ticks / TICKS_PER_SECOND
