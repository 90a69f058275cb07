#include "device/serial_port.h"

#include <pty.h>
#include <unistd.h>

#include <future>

#include <gtest/gtest.h>

#include "base/settings_values.h"
#include "device/port_name.h"
#include "device/serial_line.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A GPS receiver on the far side of a pseudo-terminal; the port opens the
// near side by its /dev/pts name, which vanishes when the receiver is unplugged.
struct Receiver {
  Receiver() {
    termios raw{};
    ::cfmakeraw(&raw);
    char name[128] = {};
    if (::openpty(&master, &line, name, &raw, nullptr) != 0) throw std::runtime_error("openpty");
    device = name;
  }
  ~Receiver() { Unplug(); }
  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  void Unplug() {
    if (master >= 0) ::close(master), ::close(line);
    master = line = -1;
  }
  int master = -1;
  int line = -1;
  std::string device;
};

class SerialPortTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    g_strStorageFolder = storage.Path().string();
  }
  // Points the link for COM<n> at `device`, as the pilot does with ln -sf.
  void Bind(int n, const fs::path& device) {
    fs::remove(storage / ("COM" + std::to_string(n)));
    fs::create_symlink(device, storage / ("COM" + std::to_string(n)));
  }
  static std::string Read(CSerialPort& port, std::size_t count) {
    std::string bytes;
    char byte = 0;
    while (bytes.size() < count && port.ReadByte(byte) == ReadStatus::kByte) bytes.push_back(byte);
    return bytes;
  }

  TempDir storage;
};

TEST_F(SerialPortTest, PortNamesMapToLinksOrOnBoardPorts) {
  Bind(7, "/dev/gone");  // a link binds its name even while its device is missing
  const fs::path folder = storage.Path();
  const std::vector<std::tuple<std::string, fs::path, fs::path>> cases = {
      {"COM1:", folder, "/dev/ttyS0"}, {" com3: ", folder, "/dev/ttyS2"},
      {"COM7:", folder, folder / "COM7"}, {"COM7:", {}, "/dev/ttyS6"},
      {"", folder, {}}, {"COM7", folder, {}}, {"/dev/ttyUSB0", folder, {}}};
  for (const auto& [name, links, device] : cases) {
    EXPECT_EQ(PortDevicePath(name, links), device) << "'" << name << "'";
  }
}

TEST_F(SerialPortTest, NamesWithoutAUsableDeviceFailAndLeaveThePortClosed) {
  WriteFileBytes(storage / "track.nmea", "$GPRMC\r\n");
  Bind(1, "/dev/gone");
  Bind(2, storage / "track.nmea");  // a file is no serial port,
  Bind(3, "/dev/null");             // nor a device that is no terminal
  CSerialPort port;
  for (const std::string name : {"", "COM1:", "COM2:", "COM3:", "LPT1:"}) {
    EXPECT_FALSE(port.Open(name, 9600) || port.IsOpen()) << "'" << name << "'";
  }
  char byte = 0;
  EXPECT_EQ(port.ReadByte(byte), ReadStatus::kFailed);  // the loop will reopen
  const auto start = std::chrono::steady_clock::now();
  port.Close();  // closed already: no wait
  EXPECT_LT(std::chrono::steady_clock::now() - start, CSerialPort::kCloseWait);
}

TEST_F(SerialPortTest, TestReadTakesOneByteAndTheRestArrivesInOrder) {
  Receiver receiver;
  Bind(2, receiver.device);
  receiver.Send("x$GP");
  CSerialPort port;
  ASSERT_TRUE(port.Open("COM2:", 4800));
  // Writes of growing size, more than the port reads at a time.
  std::string sent = "$GP";
  for (int i = 0; sent.size() < 700; ++i) sent += "RMC," + std::to_string(i) + ",";
  std::string received = Read(port, 3);
  for (std::size_t pos = 3, piece = 1; pos < sent.size(); pos += piece, piece = piece * 3 + 1) {
    receiver.Send(sent.substr(pos, piece));
    received += Read(port, std::min(piece, sent.size() - pos));
  }
  EXPECT_EQ(received, sent);

  const auto start = std::chrono::steady_clock::now();
  port.Close();
  EXPECT_GE(std::chrono::steady_clock::now() - start, CSerialPort::kCloseWait);
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPortTest, EveryRateOfTheSettingsIsSetRaw8N1) {
  Receiver receiver;
  Bind(5, receiver.device);
  for (int baud : {300, 2400, 4800, 9600, 19200, 28800, 33600, 57600, 115200}) {
    receiver.Send("x");
    CSerialPort port;
    ASSERT_TRUE(port.Open("COM5:", baud)) << baud;
    termios line{};
    ASSERT_EQ(::tcgetattr(receiver.line, &line), 0);
    EXPECT_EQ(SerialLineRate(receiver.line), baud);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t{CS8}) << baud;
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u) << baud;
  }
}

TEST_F(SerialPortTest, SilentReceiverNeitherHoldsUpOpenNorBlocksAStop) {
  Receiver receiver;
  Bind(4, receiver.device);
  CSerialPort port;
  auto opened = std::async(std::launch::async, [&] { return port.Open("COM4:", 9600); });
  ASSERT_EQ(opened.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_TRUE(opened.get());  // waiting in vain is no failure

  auto read = std::async(std::launch::async, [&] {
    char byte = 0;
    return port.ReadByte(byte);
  });
  port.Interrupt();
  EXPECT_EQ(read.get(), ReadStatus::kNoByte);  // hangs here if not woken
  receiver.Send("$");
  EXPECT_EQ(Read(port, 1), "$");  // woken once; reading goes on
}

TEST_F(SerialPortTest, UnpluggedReceiverFailsTheReadAndIsFoundAgainUnderItsNewName) {
  g_strComPort = std::string("COM6:");
  Receiver first;
  Bind(6, first.device);
  first.Send("x12");
  CSerialPort port;
  ASSERT_TRUE(OpenGpsPortAtStartUp(port));
  EXPECT_EQ(Read(port, 2), "12");

  first.Unplug();
  char byte = 0;
  EXPECT_EQ(port.ReadByte(byte), ReadStatus::kFailed);
  // Unplugged, the receiver's /dev/serial/by-id name is gone and the link
  // dangles. (Its old /dev/pts number may be handed to another terminal at
  // any moment, so the test does not rely on it staying free.)
  Bind(6, storage / "usb-receiver-unplugged");
  EXPECT_FALSE(port.Reopen());
  EXPECT_FALSE(port.IsOpen());

  Receiver second;
  Bind(6, second.device);
  second.Send("x34");
  EXPECT_TRUE(port.Reopen());
  EXPECT_EQ(Read(port, 2), "34");
}

TEST_F(SerialPortTest, ThePortIsForOneUserAtATime) {
  Receiver receiver;
  Bind(8, receiver.device);
  receiver.Send("xyz");  // a test byte for each open that succeeds
  CSerialPort port;
  CSerialPort intruder;
  ASSERT_TRUE(port.Open("COM8:", 9600));
  EXPECT_FALSE(intruder.Open("COM8:", 9600) || intruder.IsOpen());
  EXPECT_TRUE(port.Open("COM8:", 9600));  // opening again lets its own handle go first
  port.Close();
  EXPECT_TRUE(intruder.Open("COM8:", 9600));
}

}  // namespace
