"""quintel: scripting the Kestrava Quintel timing hub from Python.

A pure-Python package over the device-access library QuintelDrv (through ctypes, so no compiler
is needed). Times are in seconds and rates in hertz, converted exactly to the hub's 20 ns ticks:

    import quintel
    print(quintel.devices())
    with quintel.open() as hub:
        ch = hub.channels[0]
        ch.set(mode="internal", period=1e-3, width=250e-6, delay=100e-6)
        hub.apply()
        hub.open_outputs(0b1)
        print(hub.measure("A"))

The library is found beside the package, through QUINTELDRV_LIBRARY, or by the system's search.
"""

from .errors import QuintelError, UnitError, status_name
from .hub import CHANNELS, Channel, DeviceInfo, Hub, devices, open, unload, version
from .names import MODES, PARAMETERS, SOURCES, Parameter
from .units import TICKS_PER_SECOND, period_ticks, to_seconds, to_ticks

__all__ = ["CHANNELS", "Channel", "DeviceInfo", "Hub", "MODES", "PARAMETERS", "Parameter",
           "QuintelError", "SOURCES", "TICKS_PER_SECOND", "UnitError", "devices", "open",
           "period_ticks", "status_name", "to_seconds", "to_ticks", "unload", "version"]
