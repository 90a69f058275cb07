#include "device/serial_port.h"

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <future>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "device/port_name.h"
#include "device/serial_line.h"
#include "logs/flight_logs.h"
#include "settings/settings_file.h"
#include "tests/support/flight_test.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A GPS receiver on the far end of a pseudo-terminal. The test keeps the
// receiver's side; the port opens the other side by its /dev/pts name.
class Receiver {
 public:
  Receiver() {
    termios raw{};
    ::cfmakeraw(&raw);
    char name[128] = {};
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) throw std::runtime_error("openpty");
    m_name = name;
  }
  ~Receiver() { Unplug(); }

  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // The receiver goes away: its device node disappears.
  void Unplug() {
    if (m_master >= 0) ::close(m_master);
    if (m_slave >= 0) ::close(m_slave);
    m_master = m_slave = -1;
  }
  const std::string& Device() const { return m_name; }
  int Line() const { return m_slave; }

 private:
  int m_master = -1;
  int m_slave = -1;
  std::string m_name;
};

class SerialPortTest : public FlightTest {
 protected:
  void SetUp() override {
    FlightTest::SetUp();
    g_strStorageFolder = storage.Path().string();
  }
  // Points the storage folder's link for COM<n> at `device`, as a pilot does.
  void Bind(int n, const fs::path& device) {
    const fs::path link = storage / ("COM" + std::to_string(n));
    fs::remove(link);
    fs::create_symlink(device, link);
  }
  std::string ReadBytes(CSerialPort& port, std::size_t count) {
    std::string bytes;
    char byte = 0;
    while (bytes.size() < count && port.ReadByte(byte) == ReadStatus::kByte) bytes.push_back(byte);
    return bytes;
  }

  TempDir storage;
};

TEST_F(SerialPortTest, PortNamesMapToLinksOrOnBoardPorts) {
  Bind(7, "/dev/gone");  // a link whose device is missing still binds the name
  const fs::path folder = storage.Path();
  struct Case {
    std::string name;
    fs::path folder;
    fs::path device;
  };
  for (const Case& c : std::vector<Case>{
           {"COM1:", folder, "/dev/ttyS0"},
           {"COM9:", folder, "/dev/ttyS8"},
           {" com3: ", folder, "/dev/ttyS2"},  // as a hand-edited settings file may have it
           {"COM7:", folder, folder / "COM7"},
           {"COM7:", {}, "/dev/ttyS6"},        // no storage folder, no links
           {"", folder, {}},
           {"COM0:", folder, {}},
           {"COM10", folder, {}},
           {"COM7", folder, {}},
           {"/dev/ttyUSB0", folder, {}},
       }) {
    EXPECT_EQ(PortDevicePath(c.name, c.folder), c.device) << "'" << c.name << "'";
  }
}

TEST_F(SerialPortTest, NamesWithoutAUsableDeviceFailAndLeaveThePortClosed) {
  WriteFileBytes(storage / "track.nmea", "$GPRMC\r\n");
  Bind(1, "/dev/gone");
  Bind(2, storage / "track.nmea");  // a file is no serial port
  Bind(3, "/dev/null");             // nor is a device that is no terminal
  CSerialPort port;
  for (const std::string name : {"", "COM1:", "COM2:", "COM3:", "LPT1:"}) {
    EXPECT_FALSE(port.Open(name, 9600)) << "'" << name << "'";
    EXPECT_FALSE(port.IsOpen()) << "'" << name << "'";
  }
  char byte = 0;
  EXPECT_EQ(port.ReadByte(byte), ReadStatus::kFailed);  // the loop will reopen

  const auto start = std::chrono::steady_clock::now();
  port.Close();  // closed already: no wait
  EXPECT_LT(std::chrono::steady_clock::now() - start, CSerialPort::kCloseWait);
}

TEST_F(SerialPortTest, TestReadTakesOneByteAndTheRestArrivesInOrder) {
  Receiver receiver;
  Bind(2, receiver.Device());
  receiver.Send("x$GP");
  CSerialPort port;
  ASSERT_TRUE(port.Open("COM2:", 4800));

  // Bytes in writes of all sizes, more than the port reads at a time.
  std::string sent = "$GP";
  for (int i = 0; sent.size() < 700; ++i) sent += "RMC," + std::to_string(i) + ",";
  std::string received = ReadBytes(port, 3);
  for (std::size_t pos = 3, piece = 1; pos < sent.size(); pos += piece, piece = piece * 3 + 1) {
    receiver.Send(sent.substr(pos, piece));
    received += ReadBytes(port, std::min(piece, sent.size() - pos));
  }
  EXPECT_EQ(received, sent);

  const auto start = std::chrono::steady_clock::now();
  port.Close();
  EXPECT_GE(std::chrono::steady_clock::now() - start, CSerialPort::kCloseWait);
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPortTest, EveryRateOfTheSettingsIsSetOn8N1) {
  Receiver receiver;
  Bind(5, receiver.Device());
  for (int baud : {300, 2400, 4800, 9600, 19200, 28800, 33600, 57600, 115200}) {
    receiver.Send("x");
    CSerialPort port;
    ASSERT_TRUE(port.Open("COM5:", baud)) << baud;
    EXPECT_EQ(SerialLineRate(receiver.Line()), baud);
    termios line{};
    ASSERT_EQ(::tcgetattr(receiver.Line(), &line), 0);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8)) << baud;
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u) << baud;
  }
}

TEST_F(SerialPortTest, SilentReceiverDoesNotHoldUpOpen) {
  Receiver receiver;
  Bind(4, receiver.Device());
  CSerialPort port;
  auto opened = std::async(std::launch::async, [&] { return port.Open("COM4:", 9600); });
  ASSERT_EQ(opened.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_TRUE(opened.get());  // waiting in vain is no failure
  receiver.Send("$");
  EXPECT_EQ(ReadBytes(port, 1), "$");
}

TEST_F(SerialPortTest, InterruptWakesABlockedReadOnce) {
  Receiver receiver;
  Bind(4, receiver.Device());
  receiver.Send("x");
  CSerialPort port;
  ASSERT_TRUE(port.Open("COM4:", 9600));
  auto read = std::async(std::launch::async, [&] {
    char byte = 0;
    return port.ReadByte(byte);
  });
  port.Interrupt();
  EXPECT_EQ(read.get(), ReadStatus::kNoByte);  // hangs here if not woken
  receiver.Send("A");
  EXPECT_EQ(ReadBytes(port, 1), "A");
}

TEST_F(SerialPortTest, UnpluggedReceiverFailsTheReadAndIsFoundAgainUnderItsNewName) {
  g_strComPort = std::string("COM6:");
  auto first = std::make_unique<Receiver>();
  Bind(6, first->Device());
  first->Send("x12");
  CSerialPort port;
  ASSERT_TRUE(OpenGpsPortAtStartUp(port));
  EXPECT_EQ(ReadBytes(port, 2), "12");

  first->Unplug();
  char byte = 0;
  EXPECT_EQ(port.ReadByte(byte), ReadStatus::kFailed);
  EXPECT_FALSE(port.Reopen());  // the link still names the old device
  EXPECT_FALSE(port.IsOpen());

  Receiver second;  // plugged in again, under a new name
  Bind(6, second.Device());
  second.Send("x34");
  EXPECT_TRUE(port.Reopen());
  EXPECT_EQ(ReadBytes(port, 2), "34");
}

TEST_F(SerialPortTest, ThePortIsForOneUserAtATime) {
  Receiver receiver;
  Bind(8, receiver.Device());
  receiver.Send("xyz");  // a test byte for each of the three opens that succeed
  CSerialPort port;
  CSerialPort intruder;
  ASSERT_TRUE(port.Open("COM8:", 9600));
  EXPECT_FALSE(intruder.Open("COM8:", 9600));
  EXPECT_FALSE(intruder.IsOpen());
  EXPECT_TRUE(port.Open("COM8:", 9600));  // opening again lets its own handle go first
  port.Close();
  EXPECT_TRUE(intruder.Open("COM8:", 9600));
}

TEST_F(SerialPortTest, StartUpOpensNoPortWithoutASettingsFile) {
  Receiver receiver;
  Bind(7, receiver.Device());
  g_strSettingsPath = "\\" + storage.Path().string() + "\\TermIni.INI";
  LoadSettings();  // no file: no port name
  CSerialPort port;
  EXPECT_FALSE(OpenGpsPortAtStartUp(port));
  EXPECT_FALSE(port.IsOpen());
}

// The instrument's loop over a real port, from the receiver's bytes to the
// track log, through an unplug and replug of the receiver.
class LiveGpsTest : public SerialPortTest {
 protected:
  void WaitForTexts(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(shownChanged.wait_for(lock, std::chrono::seconds(30), [&] { return shown >= count; }))
        << shown << " of " << count << " display updates";
  }

  RecordingWindow window;
  std::mutex mutex;
  std::condition_variable shownChanged;
  std::size_t shown = 0;
};

std::string Rmc(const std::string& time) {
  return "$GPRMC," + time + ",A,4807.038,N,01131.000,E,022.4,084.4,230394,,,A*6A\r\n";
}

TEST_F(LiveGpsTest, TheLoopRecordsTheReceiverAndRidesOutAnUnplug) {
  ASSERT_TRUE(OpenFlightLogs(g_strStorageFolder, LocalTime{2026, 3, 23, 14, 5, 9}, false));
  window.onShow = [this] {
    std::lock_guard<std::mutex> lock(mutex);
    ++shown;
    shownChanged.notify_all();
  };
  g_strComPort = std::string("COM7:");
  g_nBaudRate = 4800;
  auto first = std::make_unique<Receiver>();
  Bind(7, first->Device());
  // The test read takes the first "$": that sentence is never examined.
  first->Send(Rmc("120000") + Rmc("120001") + "$GPGGA,120001,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n" +
              Rmc("120002"));
  CSerialPort port;
  ASSERT_TRUE(OpenGpsPortAtStartUp(port));
  AcquisitionLoop loop(port, window, AcquisitionOptions{std::chrono::milliseconds(10)});
  std::thread worker([&] { loop.AcquisitionThreadProc(); });

  WaitForTexts(2);
  Receiver second;
  Bind(7, second.Device());
  second.Send("\n" + Rmc("120003"));  // the reopen's test read takes the "\n"
  first->Unplug();
  WaitForTexts(3);
  loop.RequestStop();
  worker.join();

  std::vector<std::string> records;
  std::istringstream track(ReadFileBytes(g_fileTrack.Path()));
  for (std::string line; std::getline(track, line);) {
    if (line.starts_with("B")) records.push_back(line);
  }
  EXPECT_EQ(records, (std::vector<std::string>{"B1200014807038N01131000EA0000000000",
                                               "B1200024807038N01131000EA0000000545",
                                               "B1200034807038N01131000EA0000000545"}));
}

}  // namespace
