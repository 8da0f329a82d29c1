import decimal
import fractions

import pytest

from quintel import UnitError, period_ticks, to_seconds, to_ticks


def test_seconds_become_exact_ticks_whatever_their_form():
    assert to_ticks(250e-6) == 12500
    assert to_ticks(1e-3) == 50000
    assert to_ticks(0.1) == 5_000_000
    assert to_ticks(1) == 50_000_000
    assert to_ticks(fractions.Fraction(1, 50_000_000)) == 1
    assert to_ticks(decimal.Decimal("0.0000015")) == 75
    assert to_ticks("1.5ms") == 75000
    assert to_ticks("250us") == to_ticks("250\u00b5s") == 12500
    assert to_ticks("20ns") == 1
    assert to_ticks(0) == 0
    assert to_ticks(85.8993459) == 2**32 - 1
    assert to_seconds(12500) == 250e-6


def test_rates_become_exact_periods():
    assert period_ticks(10e3) == 5000
    assert period_ticks("10kHz") == 5000
    assert period_ticks("1MHz") == 50
    assert period_ticks(0.5) == 100_000_000
    assert period_ticks(50e6) == 1


def test_what_has_no_whole_number_of_ticks_is_refused_with_the_nearest_values():
    with pytest.raises(UnitError) as refused:
        to_ticks(7e-9, "high_time")
    assert str(refused.value) == ("high_time 0.000000007s is no whole number of 20 ns ticks "
                                  "(0.35 ticks): the nearest are 0 ticks (0ns) and 1 ticks (20ns)")
    with pytest.raises(UnitError, match=r"the nearest are 16 ticks \(320ns\) and 17 ticks"):
        period_ticks(3e6)
    with pytest.raises(UnitError, match="is no whole number"):
        to_ticks(1e-3 + 1e-12)


def test_out_of_range_and_wrong_values_are_refused():
    with pytest.raises(UnitError, match="longer than the longest time"):
        to_ticks(86)
    with pytest.raises(UnitError, match="negative"):
        to_ticks(-1e-6)
    with pytest.raises(UnitError, match="above 0 Hz"):
        period_ticks(0)
    with pytest.raises(UnitError, match="finite"):
        to_ticks(float("nan"))
    with pytest.raises(UnitError, match="must be a number"):
        to_ticks(True)
    with pytest.raises(UnitError, match="not a number with a unit"):
        to_ticks("5 minutes")
    with pytest.raises(UnitError, match="not a number with a unit"):
        period_ticks("1ms")  # a rate must be a rate
    with pytest.raises(UnitError, match="not a number with a unit"):
        to_ticks("10kHz")
