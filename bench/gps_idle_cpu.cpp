// gps-idle-cpu: what the acquisition loop costs while the GPS sends
// nothing. Runs the loop over a real CSerialPort for a few seconds, once
// with the receiver unplugged (its COM link names a missing device, so the
// loop keeps trying to reopen it) and once with a receiver plugged in but
// silent (a pseudo-terminal nobody writes to), and prints the CPU time the
// loop's thread used.
//
//   gps-idle-cpu [SECONDS]      (default 5 each)
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

#include "base/settings_values.h"
#include "device/serial_port.h"
#include "flight/acquisition_loop.h"

namespace {

class NoWindow final : public InstrumentWindow {
 public:
  void ShowFieldTexts(const FieldTexts&) override {}
  void RequestRepaint() override {}
};

// The port as the loop sees it, counting the reopen attempts.
class CountingPort final : public ByteSource {
 public:
  explicit CountingPort(CSerialPort& port) : m_port(port) {}
  ReadStatus Read(std::string_view& bytes) override { return m_port.Read(bytes); }
  bool Reopen() override {
    ++reopens;
    return m_port.Reopen();
  }
  void Interrupt() override { m_port.Interrupt(); }
  int reopens = 0;

 private:
  CSerialPort& m_port;
};

double ThreadCpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void Measure(const char* what, double seconds) {
  CSerialPort port;
  port.Open(g_strComPort.Get(), g_nBaudRate);
  CountingPort counting(port);
  NoWindow window;
  AcquisitionLoop loop(counting, window);
  double cpu = 0.0;
  std::thread worker([&] {
    const double start = ThreadCpuSeconds();
    loop.AcquisitionThreadProc();
    cpu = ThreadCpuSeconds() - start;
  });
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  loop.RequestStop();
  worker.join();
  std::printf("%-40s %.1f s: loop thread CPU %.3f ms (%.4f %% of one core), %d reopen attempts\n",
              what, seconds, cpu * 1e3, cpu / seconds * 100.0, counting.reopens);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
  char folder[] = "/tmp/gps-idle-cpu-XXXXXX";
  if (::mkdtemp(folder) == nullptr) return 1;
  g_strStorageFolder = folder;
  g_strComPort = std::string("COM7:");
  const std::filesystem::path link = std::filesystem::path(folder) / "COM7";

  std::filesystem::create_symlink("/dev/serial/by-id/usb-unplugged-gps", link);
  Measure("receiver unplugged (reopen every 0.5 s)", seconds);

  int master = -1;
  int slave = -1;
  char name[128] = {};
  if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return 1;
  std::filesystem::remove(link);
  std::filesystem::create_symlink(name, link);
  Measure("receiver plugged in, silent", seconds);

  ::close(slave);
  ::close(master);
  std::filesystem::remove_all(folder);
  return 0;
}
