// Which Linux device a GPS port name of the settings stands for.
//
// The settings name the port the handheld way, "COM1:" to "COM9:". The
// pilot binds such a name to any serial device with a symbolic link named
// COM1 .. COM9 in the storage folder, beside TermIni.INI:
//
//   ln -sf /dev/serial/by-id/usb-u-blox_GNSS_receiver-if00 /home/pilot/instrument/COM7
//
// Without an entry of that name, "COMn:" is the n-th on-board serial port,
// /dev/ttyS<n-1>. The link is looked up afresh at every open, so a receiver
// that comes back under a new name after a replug is found again once the
// link names it. A link whose device is missing is a missing device: the
// on-board port is not tried in its place.
#pragma once

#include <filesystem>
#include <string_view>

// The device path for `name` ("COM7:", case and surrounding spaces
// ignored), or an empty path when the name is no port name (an empty name
// too). `storageFolder` is where the links live; empty: no links.
std::filesystem::path PortDevicePath(std::string_view name,
                                     const std::filesystem::path& storageFolder);
