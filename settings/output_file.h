// Where the instrument sends its NMEA stream (the fast vario as $LK8EX1 and
// the GPS port's sentences, for the pilot's phone app or glide computer):
// the optional text file "Output.txt" beside the settings file, read once
// at start-up, one "Name: value" a line as Pilot.txt is (names in any case,
// other lines ignored, see name_value_file.h):
//
//   TCP port: 10110              a server on that port for the apps
//   TCP address: 192.168.4.1     only on this local address (default: all)
//   UDP to: 192.168.43.1:10110   datagrams to that host and port
//   Serial: COM4                 a serial line, named as the GPS port is
//   Serial rate: 115200          its rate [bit/s]
//
// No file, or one that names none of the three: nothing is sent and no
// port is opened. A value that cannot be used is reported, and that output
// is left out; a name given twice counts with its last value.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char kOutputFileName[] = "Output.txt";

struct OutputSettings {
  // A serial line's rate when the file names none: the stream of a flight
  // with traffic needs more than 9600 bit/s, and the usual links (a
  // Bluetooth serial port, a USB gadget port) do not look at it.
  static constexpr int kDefaultSerialRate = 115200;

  std::optional<int> tcpPort;  // the server's port (0: any free one); none: no server
  std::string tcpAddress;      // the one local address it listens on; empty: all
  std::string udpHost;         // where the datagrams go; empty: none
  int udpPort = 0;
  int serialPort = 0;          // n of "COMn", 1..9; 0: no serial line
  int serialRate = kDefaultSerialRate;  // [bit/s]

  bool SendsAnywhere() const { return tcpPort.has_value() || !udpHost.empty() || serialPort != 0; }
  // "HOST:PORT" as the pilot wrote it ("[::1]:10110" for an IPv6 address).
  std::string UdpTarget() const;
  bool operator==(const OutputSettings&) const = default;
};

struct OutputFile {
  OutputSettings settings;
  // One line per value that was left out, or why the file was not read,
  // each beginning "Output.txt: ".
  std::vector<std::string> problems;
};

OutputFile ParseOutputFile(std::string_view bytes);

// Reads `path` (its first 4 KiB): no file gives no settings and no problem.
OutputFile LoadOutputFile(const std::filesystem::path& path);
