#include "settings/output_file.h"

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

// For gtest's messages.
void PrintTo(const OutputSettings& s, std::ostream* out) {
  *out << "{tcp " << (s.tcpPort ? std::to_string(*s.tcpPort) : "none") << " on \"" << s.tcpAddress << "\", udp \""
       << s.udpHost << "\":" << s.udpPort << ", COM" << s.serialPort << " at " << s.serialRate << "}";
}

namespace {

OutputSettings Tcp(int port, std::string address = {}) {
  OutputSettings s;
  s.tcpPort = port;
  s.tcpAddress = std::move(address);
  return s;
}
OutputSettings Udp(std::string host, int port) {
  OutputSettings s;
  s.udpHost = std::move(host);
  s.udpPort = port;
  return s;
}
OutputSettings Serial(int port, int rate = OutputSettings::kDefaultSerialRate) {
  OutputSettings s;
  s.serialPort = port;
  s.serialRate = rate;
  return s;
}

TEST(OutputFileTest, EachNameAsPilotsWriteIt) {
  OutputSettings all = Tcp(10110, "192.168.4.1");
  all.udpHost = "192.168.43.255";
  all.udpPort = 4353;
  all.serialPort = 4;
  all.serialRate = 9600;
  const std::tuple<const char*, std::string, OutputSettings> cases[] = {
      {"empty: nothing", "", {}},
      {"the server", "TCP port: 10110\n", Tcp(10110)},
      {"every name, any case, spaces and Windows line ends",
       "tcp PORT :10110\r\nTcp Address: 192.168.4.1 \r\nudp to: 192.168.43.255:4353\r\nSERIAL: com4\r\n"
       "Serial rate: 9600\r\n",
       all},
      {"an IPv6 address, bracketed or not", "TCP port: 1\nTCP address: [::1]\n", Tcp(1, "::1")},
      {"all addresses, said in words", "TCP port: 65535\nTCP address: all\n", Tcp(65535)},
      {"a UDP host by name", "UDP to: phone.local:10110\n", Udp("phone.local", 10110)},
      {"a UDP host in IPv6", "UDP to: [fe80::1%wlan0]:10110\n", Udp("fe80::1%wlan0", 10110)},
      {"the serial line with a colon, at its default rate", "Serial: COM9:\n", Serial(9)},
      {"the last of a name given twice counts", "TCP port: 1\nTCP port: 2\n", Tcp(2)},
      {"unknown names and lines without a colon",
       "Pilot: Anna\nTCP port 10110\n# UDP to: 10.0.0.1:1\n", {}},
  };
  for (const auto& [legend, text, settings] : cases) {
    const OutputFile file = ParseOutputFile(text);
    EXPECT_EQ(file.settings, settings) << legend;
    EXPECT_EQ(file.problems, std::vector<std::string>()) << legend;
    EXPECT_EQ(file.settings.SendsAnywhere(), legend != std::string("empty: nothing") &&
                                                 legend != std::string("unknown names and lines without a colon"))
        << legend;
  }
}

TEST(OutputFileTest, AValueThatCannotBeUsedIsToldAndLeavesItsOutputOut) {
  const std::tuple<std::string, OutputSettings, std::string> cases[] = {
      {"TCP port: 0\n", {}, "Output.txt: TCP port \"0\" is no port number (1 to 65535): no server"},
      {"TCP port: 65536\n", {}, "Output.txt: TCP port \"65536\" is no port number (1 to 65535): no server"},
      {"TCP port: 10110x\n", {}, "Output.txt: TCP port \"10110x\" is no port number (1 to 65535): no server"},
      {"TCP port:\n", {}, "Output.txt: TCP port \"\" is no port number (1 to 65535): no server"},
      // A server on every address is not what was asked for: none at all.
      {"TCP address: wlan0\nTCP port: 10110\n", {},
       "Output.txt: TCP address \"wlan0\" is no IPv4 or IPv6 address: no server"},
      {"TCP address: 10.0.0.1\n", {}, "Output.txt: TCP address without a TCP port: no server"},
      {"UDP to: 192.168.43.1\n", {},
       "Output.txt: UDP to \"192.168.43.1\" is not HOST:PORT (port 1 to 65535): nothing sent by UDP"},
      {"UDP to: :10110\n", {}, "Output.txt: UDP to \":10110\" is not HOST:PORT (port 1 to 65535): nothing sent by UDP"},
      {"UDP to: ::1:10110\n", {},
       "Output.txt: UDP to \"::1:10110\" is not HOST:PORT (port 1 to 65535): nothing sent by UDP"},
      {"UDP to: 10.0.0.1:99999\n", {},
       "Output.txt: UDP to \"10.0.0.1:99999\" is not HOST:PORT (port 1 to 65535): nothing sent by UDP"},
      {"Serial: COM10\n", {}, "Output.txt: Serial \"COM10\" is no port COM1 to COM9: no serial line"},
      {"Serial: /dev/ttyUSB0\n", {}, "Output.txt: Serial \"/dev/ttyUSB0\" is no port COM1 to COM9: no serial line"},
      {"Serial: COM2\nSerial rate: fast\n", Serial(2),
       "Output.txt: Serial rate \"fast\" is no rate (300 to 4000000 bit/s): 115200 taken"},
      {"Serial: COM2\nSerial rate: 299\n", Serial(2),
       "Output.txt: Serial rate \"299\" is no rate (300 to 4000000 bit/s): 115200 taken"},
      {"Serial rate: 9600\n", Serial(0, 9600), "Output.txt: Serial rate without a Serial line: nothing sent"},
  };
  for (const auto& [text, settings, problem] : cases) {
    const OutputFile file = ParseOutputFile(text);
    EXPECT_EQ(file.settings, settings) << text;
    EXPECT_EQ(file.problems, std::vector<std::string>{problem}) << text;
  }
  // The limits themselves are good.
  EXPECT_EQ(ParseOutputFile("Serial: COM1\nSerial rate: 300\n").settings, Serial(1, 300));
  EXPECT_EQ(ParseOutputFile("Serial: COM1\nSerial rate: 4000000\n").settings, Serial(1, 4000000));
}

TEST(OutputFileTest, NoFileSendsNothingAndADamagedOneWhatItCan) {
  TempDir dir;
  const OutputFile absent = LoadOutputFile(dir / kOutputFileName);
  EXPECT_FALSE(absent.settings.SendsAnywhere());
  EXPECT_TRUE(absent.problems.empty());

  std::filesystem::create_directory(dir / kOutputFileName);
  EXPECT_EQ(LoadOutputFile(dir / kOutputFileName).problems,
            std::vector<std::string>{"Output.txt cannot be read (Is a directory): nothing is sent"});

  static constexpr char kDamaged[] = "\x01\x02\0\xFF\xFE\x80\nTCP port: 10\0" "110\n\xC3\nUDP to: \x7F";
  WriteFileBytes(dir / "damaged.txt", std::string(kDamaged, sizeof kDamaged - 1));
  const OutputFile damaged = LoadOutputFile(dir / "damaged.txt");
  EXPECT_EQ(damaged.settings, Tcp(10110));
  EXPECT_EQ(damaged.problems.size(), 1u);   // the UDP line with nothing left of its value
}

}  // namespace
