// Line settings of the GPS port: raw 8N1 at any rate in bit/s.
#pragma once

// Sets the serial line open on `fd` to raw bytes, 8 data bits, no parity,
// one stop bit, no flow control, no echo and no line processing, receiver
// on and modem lines ignored, at `baud` bit/s. The rate is given to the
// driver as a number, so rates without a classic constant (28800, 33600)
// work too; a rate of 0 or less leaves the driver's rate as it is (a rate
// of 0 would hang the line up). Pending input is kept. Returns 0, or the
// errno of the call that failed.
int ConfigureSerialLine(int fd, int baud);

// The rate the line open on `fd` runs at [bit/s], or -1 when it cannot be told.
int SerialLineRate(int fd);
