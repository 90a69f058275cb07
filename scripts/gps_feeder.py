#!/usr/bin/env python3
"""Feeds a recorded NMEA flight to the instrument as a receiver would.

Creates a pseudo-terminal, links STORAGE/COM7 to it (the instrument's COMn
binding) and writes the recording's sentences to it, RATE fixes a second. A
simulated barometer in STORAGE/sys follows each GPGGA altitude through the
standard atmosphere, its file replaced atomically (write, then rename).
    gps_feeder.py STORAGE RECORDING [RATE] [FIXES]
"""
import os
import sys
import time
import tty

storage, recording = sys.argv[1], sys.argv[2]
rate = float(sys.argv[3]) if len(sys.argv) > 3 else 1.0
fixes = int(sys.argv[4]) if len(sys.argv) > 4 else 10**9

baro = os.path.join(storage, "sys/bus/iio/devices/iio:device0")
os.makedirs(baro, exist_ok=True)


def write_atomically(path, text):
    with open(path + ".new", "w") as f:
        f.write(text)
    os.replace(path + ".new", path)


def pressure_kpa(altitude_m):
    return 101.325 * (1 - altitude_m / 44330.77) ** (1 / 0.190263)


write_atomically(os.path.join(baro, "in_pressure_input"), "101.325\n")
master, slave = os.openpty()
tty.setraw(slave)
link = os.path.join(storage, "COM7")
if os.path.lexists(link):
    os.remove(link)
os.symlink(os.ttyname(slave), link)
print("feeder: COM7 ->", os.ttyname(slave), flush=True)

sent = 0
with open(recording, "rb") as f:
    for line in f:
        if line.startswith(b"#"):
            continue
        fields = line.split(b",")
        if fields[0].endswith(b"GGA") and len(fields) > 9:
            try:
                write_atomically(os.path.join(baro, "in_pressure_input"),
                                 "%.4f\n" % pressure_kpa(float(fields[9])))
            except ValueError:
                pass
        os.write(master, line)
        if fields[0].endswith(b"RMC"):
            sent += 1
            if sent >= fixes:
                break
            time.sleep(1.0 / rate)
print("feeder: %d fixes sent" % sent, flush=True)
time.sleep(3600)  # the receiver stays plugged in until the feeder is ended
