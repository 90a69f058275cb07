// lk8ex1-latency: how long the real program takes from a barometer reading
// to its $LK8EX1 bytes on an app's socket.
//
//   lk8ex1-latency PROGRAM [SENTENCES]   (default 1200; at least 1000)
//
// Runs PROGRAM (an installed flight-instrument, which it copies into a
// storage folder of its own, offscreen, without a GPS) with an Output.txt
// naming a free TCP port, and is its barometer: a sensor tree whose
// pressure it writes anew every millisecond, each value a whole pascal one
// above the last (80000 to 89999 Pa, then again), so that each pressure an
// app receives says when it was written. It is the app as well: on the
// loopback, it stamps each $LK8EX1 line as recv() hands it over. A
// sentence's latency is its arrival less the writing of its pressure,
// which the program read before the next writing, a millisecond later: an
// upper bound, by at most that. Prints the median, the 99th percentile and
// the largest, the count, and the sentences' rate.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kLowest_Pa = 80000, kValues = 10000;

void Write(const fs::path& file, const std::string& text) {
  const fs::path fresh = file.string() + ".new";
  std::ofstream(fresh) << text;
  fs::rename(fresh, file);
}

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof at;
  ::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length);
  ::close(fd);
  return ntohs(at.sin_port);
}

int Connect(int port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (int attempt = 0; attempt < 300; ++attempt) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return fd;
    ::close(fd);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return -1;
}

// The barometer: every millisecond the next pressure, with when it was written.
class RampBarometer {
 public:
  explicit RampBarometer(const fs::path& device) : m_file(device / "in_pressure_input"), m_written(kValues) {
    WriteNext();
    m_thread = std::thread([this] {
      auto next = Clock::now();
      while (!m_bStop) {
        next += std::chrono::milliseconds(1);
        std::this_thread::sleep_until(next);
        WriteNext();
      }
    });
  }
  ~RampBarometer() {
    m_bStop = true;
    m_thread.join();
  }
  // When `pascals` was last written before `arrival`, and how long it stood.
  bool WrittenBefore(long pascals, Clock::time_point arrival, Clock::time_point& at) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const long index = pascals - kLowest_Pa;
    if (index < 0 || index >= kValues || m_written[index] == Clock::time_point{}) return false;
    at = m_written[index];
    return at <= arrival;
  }

 private:
  void WriteNext() {
    const int index = static_cast<int>(m_count++ % kValues);
    char kPa[32];
    std::snprintf(kPa, sizeof kPa, "%.3f\n", (kLowest_Pa + index) / 1000.0);
    Write(m_file, kPa);
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_written[index] = Clock::now();
  }

  fs::path m_file;
  std::mutex m_mutex;
  std::vector<Clock::time_point> m_written;
  long long m_count = 0;
  std::atomic<bool> m_bStop{false};
  std::thread m_thread;
};

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size())))];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return std::fprintf(stderr, "usage: lk8ex1-latency PROGRAM [SENTENCES]\n"), 2;
  const std::size_t wanted = argc > 2 ? std::max(1000ul, std::strtoul(argv[2], nullptr, 10)) : 1200;
  const fs::path base = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
  std::string pattern = (base / "lk8ex1-latency.XXXXXX").string();
  const fs::path storage = ::mkdtemp(pattern.data());
  fs::copy_file(argv[1], storage / "flight-instrument");
  fs::create_directories(storage / "sys/bus/iio/devices/iio:device0");
  const int port = FreePort();
  std::ofstream(storage / "Output.txt") << "TCP port: " << port << "\n";

  std::vector<double> latencies;
  Clock::time_point first{}, last{};
  {
    RampBarometer barometer(storage / "sys/bus/iio/devices/iio:device0");
    const pid_t program = ::fork();
    if (program == 0) {
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      std::freopen("/dev/null", "w", stderr);
      const std::string path = (storage / "flight-instrument").string();
      ::execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    const int app = Connect(port);
    std::string pending;
    char buffer[4096];
    while (app >= 0 && latencies.size() < wanted) {
      const ssize_t count = ::recv(app, buffer, sizeof buffer, 0);
      const Clock::time_point arrival = Clock::now();
      if (count <= 0) break;
      pending.append(buffer, static_cast<std::size_t>(count));
      for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos; pending.erase(0, end + 2)) {
        const std::string line = pending.substr(0, end);
        Clock::time_point written;
        if (line.rfind("$LK8EX1,", 0) != 0 ||
            !barometer.WrittenBefore(std::strtol(line.c_str() + 8, nullptr, 10), arrival, written)) {
          continue;
        }
        if (latencies.empty()) first = arrival;
        last = arrival;
        latencies.push_back(std::chrono::duration<double, std::milli>(arrival - written).count());
      }
    }
    if (app >= 0) ::close(app);
    ::kill(program, SIGTERM);
    ::waitpid(program, nullptr, 0);
  }
  fs::remove_all(storage);
  if (latencies.size() < wanted) return std::fprintf(stderr, "lk8ex1-latency: the stream ended early\n"), 1;
  std::printf("latency from the barometer's reading to the $LK8EX1 bytes at an app (from the pressure's "
              "writing, which the reading follows before the next, a millisecond later), %zu sentences at "
              "%.2f a second: median %.2f ms, 99th percentile %.2f ms, largest %.2f ms\n",
              latencies.size(),
              static_cast<double>(latencies.size() - 1) / std::chrono::duration<double>(last - first).count(),
              Percentile(latencies, 0.5), Percentile(latencies, 0.99),
              *std::max_element(latencies.begin(), latencies.end()));
  return 0;
}
