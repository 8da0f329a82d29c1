#!/usr/bin/env python3
"""A 1 kHz pulse train of 250 us pulses on output 0, checked by measuring it.

Run with PYTHONPATH=python from the source tree, or as it is after installation. Without a hub
the simulated one of ZOUSB_DEVICES (one hub when unset) answers.
"""

import quintel

print("hubs:", ", ".join("%d (serial 0x%08X)" % (d.identifier, d.serial)
                         for d in quintel.devices()))
with quintel.open() as hub:
    print("input A: %g Hz" % (1 / hub.measure("A")))
    ch = hub.channels[0]
    ch.set(mode="internal", period=1e-3, width=250e-6, delay=100e-6)  # seconds
    hub.apply()  # one refresh: only changed channels are uploaded
    hub.open_outputs(0b1)
    period = hub.measure("out0")
    width = hub.measure("out0", opposite_edge=True)
    print("output 0: period %g ms, width %g us" % (period * 1e3, width * 1e6))
