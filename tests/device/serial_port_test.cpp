#include "device/serial_port.h"

#include <termios.h>

#include <future>

#include <gtest/gtest.h>

#include "base/settings_values.h"
#include "device/port_name.h"
#include "device/serial_line.h"
#include "tests/support/flight_test.h"
#include "tests/support/pty_receiver.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class SerialPortTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    g_strStorageFolder = storage.Path().string();
    Bind(9, receiver.Device());
  }
  // Points the link for COM<n> at `device`, as the pilot does with ln -sf.
  void Bind(int n, const fs::path& device) {
    fs::remove(storage / ("COM" + std::to_string(n)));
    fs::create_symlink(device, storage / ("COM" + std::to_string(n)));
  }
  static std::string Read(CSerialPort& port, std::size_t count) {
    std::string bytes;
    std::string_view arrived;
    while (bytes.size() < count && port.Read(arrived) == ReadStatus::kBytes) bytes.append(arrived);
    return bytes;
  }
  static ReadStatus ReadOne(CSerialPort& port) {
    std::string_view arrived;
    return port.Read(arrived);
  }

  TempDir storage;
  PtyReceiver receiver;  // on COM9
};

TEST_F(SerialPortTest, NamesWithoutAUsableDeviceFailAndLeaveThePortClosed) {
  WriteFileBytes(storage / "track.nmea", "$GPRMC\r\n");
  Bind(1, "/dev/gone");  // a link binds its name even while its device is missing
  Bind(2, storage / "track.nmea");  // a file is no serial port,
  Bind(3, "/dev/null");             // nor a device that is no terminal
  const fs::path folder = storage.Path();
  const std::vector<std::tuple<std::string, fs::path, fs::path>> cases = {  // name, links, device
      {"COM5:", folder, "/dev/ttyS4"}, {" com4: ", folder, "/dev/ttyS3"}, {"COM1:", folder, folder / "COM1"},
      {"COM1:", {}, "/dev/ttyS0"}, {"", folder, {}}, {"COM7", folder, {}}, {"/dev/ttyUSB0", folder, {}}};
  for (const auto& [name, links, device] : cases) EXPECT_EQ(PortDevicePath(name, links), device) << name;
  CSerialPort port;
  for (const std::string name : {"", "COM1:", "COM2:", "COM3:", "LPT1:"}) {
    EXPECT_FALSE(port.Open(name, 9600) || port.IsOpen()) << "'" << name << "'";
  }
  EXPECT_EQ(ReadOne(port), ReadStatus::kFailed);  // the loop will reopen
}

TEST_F(SerialPortTest, EveryRateIsSetRaw8N1AndTheTestReadTakesOneByteOnly) {
  for (int baud : {300, 2400, 4800, 9600, 19200, 28800, 33600, 57600, 115200}) {
    ASSERT_TRUE(receiver.Send("x"));
    CSerialPort port;
    ASSERT_TRUE(port.Open("COM9:", baud)) << baud;
    termios line{};
    ASSERT_EQ(::tcgetattr(receiver.Line(), &line), 0);
    EXPECT_EQ(SerialLineRate(receiver.Line()), baud);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t{CS8}) << baud;
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u) << baud;
  }
  ASSERT_TRUE(receiver.Send("x$GPRMC"));
  CSerialPort port;
  ASSERT_TRUE(port.Open("COM9:", 4800));
  EXPECT_EQ(Read(port, 6), "$GPRMC");  // the test byte only was taken
}

TEST_F(SerialPortTest, SilentReceiverNeitherHoldsUpOpenNorBlocksAStopAndIsFoundAgainAfterAnUnplug) {
  g_strComPort = std::string("COM9:");
  CSerialPort port;
  auto opened = std::async(std::launch::async, [&] { return OpenGpsPortAtStartUp(port); });
  ASSERT_EQ(opened.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_TRUE(opened.get());  // waiting in vain is no failure
  auto read = std::async(std::launch::async, [&] { return ReadOne(port); });
  port.Interrupt();
  EXPECT_EQ(read.get(), ReadStatus::kNoByte);  // hangs here if not woken
  ASSERT_TRUE(receiver.Send("12"));
  EXPECT_EQ(Read(port, 2), "12");  // woken once; reading goes on
  receiver.Unplug();
  EXPECT_EQ(ReadOne(port), ReadStatus::kFailed);
  // Unplugged, its /dev/serial/by-id name is gone and the link dangles (the
  // old /dev/pts number may go to another terminal at any moment).
  Bind(9, storage / "usb-receiver-unplugged");
  EXPECT_FALSE(port.Reopen() || port.IsOpen());
  PtyReceiver second;
  Bind(9, second.Device());
  ASSERT_TRUE(second.Send("x34"));
  EXPECT_TRUE(port.Reopen());
  EXPECT_EQ(Read(port, 2), "34");
}

TEST_F(SerialPortTest, ThePortIsForOneUserAtATime) {
  ASSERT_TRUE(receiver.Send("xyz"));  // a test byte for each open that succeeds
  CSerialPort port, intruder;
  ASSERT_TRUE(port.Open("COM9:", 9600));
  EXPECT_FALSE(intruder.Open("COM9:", 9600) || intruder.IsOpen());
  EXPECT_TRUE(port.Open("COM9:", 9600));  // opening again lets its own handle go first
  port.Close();
  EXPECT_TRUE(intruder.Open("COM9:", 9600));
}

}  // namespace
