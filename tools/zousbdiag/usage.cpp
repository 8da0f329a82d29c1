#include "tools/zousbdiag/commands.h"

namespace zousbdiag {

void printUsage(std::ostream& out) {
    out << R"(Usage: zousbdiag COMMAND [ARGUMENTS]

Diagnostics for Kestrava Quintel hubs and their driver zousbdrv.

Two numberings: N is a hub instance, 0 to 7, the driver's device \\.\ZOUSB-N, as list shows
it; ID is the library's device identifier, 1 to 5, as enumerate shows it.

Commands with a hub instance N:
  list                     every hub that opens: instance N, speed, vendor and product
                           identifiers, serial number and firmware from the information block
  descriptors N            device, configuration (interfaces, endpoints) and string descriptors
                           1 to 3 (language 0x0409) of hub N
  ioctl N CODE [--in HEX] [--out LENGTH] [--32bit]
                           sends the I/O-control CODE (decimal or 0x-hexadecimal) to hub N and
                           prints the status, Information and the output bytes
                             --in HEX      input bytes as hexadecimal pairs, blanks allowed
                                           between pairs: "0a 1b" or "0a1b" (default: none)
                             --out LENGTH  output buffer length in bytes, decimal or 0x-hex,
                                           at most 16777216 (default: 0)
                             --32bit       open the hub as a 32-bit process would
  version N                the driver version (IOCTL_ZOUSB_GET_DRIVER_VERSION)
  last-status N            the last failing USB status (IOCTL_ZOUSB_GET_LAST_USB_STATUS)
  record N MILLISECONDS FILE.vcd
                           records hub N's outputs and inputs A and B as they run, for
                           MILLISECONDS (1 to 10000), into a VCD file; opens nothing, so nothing
                           is reset (useful with the shared machine of zousbsim)
  iso-read N [--packets P] [--per-transfer K] [--transfers T] [--pipe I] [--packet-size S]
          [--samples]
                           one isochronous read of P packets (default 64; a multiple of K x T)
                           from hub N's isochronous pipe, K packets a USB transfer (default 8),
                           T transfers in flight (default 4): each packet's status and bytes, or
                           with --samples the hub's sampled signals
  stream N FILE.vcd [--duration TIME] [--ring P] [--per-transfer K] [--transfers T] [--pipe I]
          [--packet-size S] [--set S]... [--outputs MASK]
                           streams hub N's outputs and inputs A and B into a VCD file ('-':
                           standard output) for TIME (milliseconds, or with a unit: 2s) or
                           until Ctrl-C; rings of P packets (default 1024); counts packets
                           received, lost to full rings and failed; --set and --outputs first
                           program device N + 1 through the library

Commands with a device identifier ID, through the device-access library QuintelDrv (each
probes, opens the device, which resets the hub, and closes it again):
  enumerate                every device the library accepts, with its seven-word record, and
                           why a hub that opens is not among them
  device-info ID           the device information values 0 to 5 and the hardware error
  hardware-error ID        the device's last hardware error after opening it
  read-register ID REG     reads hub register REG (0 to 255, decimal or 0x-hex)
  write-register ID REG VALUE
                           writes VALUE (0 to 255) to hub register REG
  settings ID              the default and the current settings record, one column a channel
  set ID CHANNEL PARAMETER VALUE [CHANNEL PARAMETER VALUE ...]
                           reads the current settings, sets each parameter (by name such as
                           HIGH_TIME or by number; channel 8 = all) and refreshes the device
  outputs ID open|close MASK [--set S]... [--leave-open]
                           opens or closes the outputs of MASK (bit n: channel n); with
                           --leave-open the tool ends without closing the device, so on the
                           shared machine of zousbsim the outputs keep running
  measure ID INPUT [--mode M] [--edge E] [--timeout MS] [--background] [--set S]...
          [--outputs MASK]
                           times INPUT (A, B, out0 to out7, or source 1 to 10): period in ns and
                           frequency in Hz (mode 1: edge to opposite edge); waits at most MS
                           milliseconds or a time such as 2s (default 1000); --background
                           measures with a callback
  capture ID MILLISECONDS FILE.vcd [--set S]... [--outputs MASK]
                           records the hub's outputs and inputs A and B for MILLISECONDS (1 to
                           10000, or a time such as 2s) after opening MASK (default: the
                           channels --set names) into a VCD file
  disassemble ID CHANNEL [--set S]...
                           the program the library compiles for CHANNEL (8: the measurement)
    --set S                S is CHANNEL:PARAMETER=VALUE, applied in order before anything else;
                           without zousbsim every run is a fresh simulated machine, so settings
                           go with the command that needs them

Values of times: a plain number counts 20 ns ticks (HIGH_TIME=12500), a number with a unit is a
time (HIGH_TIME=250us, DELAY=1.5ms); PERIOD=10kHz sets LOW_TIME to the period less HIGH_TIME.
In mode 1 the times count clock transitions and take plain numbers.

  help parameters          every parameter: name, number, range, unit and meaning
  help modes               every mode: what it does, its parameters and sources, an example
  help, --help, -h         this text
  --version                the tool's version

Examples:
  zousbdiag list
  zousbdiag ioctl 0 0x222074 --out 6
  zousbdiag ioctl 0 0x222059 --in "01 02 00 00 f0 00 00 00 00 00" --out 2
  zousbdiag write-register 1 0x40 0x03
  zousbdiag capture 1 5 out.vcd --set 0:HIGH_TIME=600ns --set 0:PERIOD=1MHz
  zousbdiag measure 1 out0 --outputs 0x1 --set 0:HIGH_TIME=250us --set 0:PERIOD=1kHz
  zousbdiag measure 1 A
  zousbdiag iso-read 0 --samples
  zousbdiag stream 0 live.vcd --duration 2s --set 0:HIGH_TIME=20us --set 0:LOW_TIME=30us

The simulated hubs come from ZOUSB_DEVICES (for example "sim;sim:speed=full"); ZOUSB_CAPTURE=FILE
records the USB traffic as a usbmon pcap capture. While zousbsim runs, the tool uses its shared
machine instead, whose hubs and capture 'zousbsim status' shows.

Exit status: 0 success, 1 a hub is missing, a request failed or ZOUSB_DEVICES is malformed,
2 the command line is wrong.
)";
}

}  // namespace zousbdiag
