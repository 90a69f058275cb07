// The real program, ended by the signals a Linux system sends: it stops its
// acquisition thread and leaves whole records, whatever moment the signal
// comes at.
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "tests/support/qt_test.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A storage folder with the program, COM7 on a receiver, and a barometer
// and compass so that no start-up message waits for the pilot.
void MakeInstrument(const TempDir& storage, const std::string& device) {
  fs::copy_file(FLIGHT_INSTRUMENT_EXE, storage / "flight-instrument");
  const std::u16string record = Utf8ToUtf16("COM7:, 9600,6,3,0,1,1, 3");
  std::ofstream(storage / "TermIni.INI", std::ios::binary)
      .write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size() * 2));
  fs::create_symlink(device, storage / "COM7");
  const fs::path iio = storage / "sys/bus/iio/devices/iio:device0";
  fs::create_directories(iio);
  const auto put = [&](const char* name, const char* value) { std::ofstream(iio / name) << value; };
  put("in_pressure_input", "95.0\n");
  put("in_magn_x_raw", "0\n");
  put("in_magn_y_raw", "0.3\n");
  put("in_magn_z_raw", "-0.4\n");
  put("in_accel_x_raw", "0\n");
  put("in_accel_y_raw", "0\n");
  put("in_accel_z_raw", "9.8\n");
}

std::string TrackOf(const TempDir& storage) {
  if (!fs::is_directory(storage / "FlyData")) return "";
  for (const auto& entry : fs::directory_iterator(storage / "FlyData")) {
    if (entry.path().extension() == ".IGC") return ReadFileBytes(entry.path());
  }
  return "";
}

TEST(ProgramEnd, EachEndingSignalStopsTheFlightWithWholeRecords) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    TempDir storage;
    PtyReceiver receiver;
    MakeInstrument(storage, receiver.Device());
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      const std::string program = (storage / "flight-instrument").string();
      ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    int second = 0;
    const bool recorded = WaitUntil([&] {
      receiver.Send(FixSentences("1200" + std::to_string(10 + second++ % 50)));
      std::this_thread::sleep_for(20ms);
      return TrackOf(storage).find("\nB") != std::string::npos;
    });
    ::kill(pid, signal);
    int status = 0;
    const bool ended = WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, 10s);
    if (!ended) ::kill(pid, SIGKILL), ::waitpid(pid, &status, 0);
    ASSERT_TRUE(recorded);
    ASSERT_TRUE(ended) << "the program did not end";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string track = TrackOf(storage);
    ASSERT_EQ(track.back(), '\n');
    EXPECT_EQ((track.size() - 20) % 36, 0u) << "only whole 36-byte B records after the header";
  }
}

}  // namespace
