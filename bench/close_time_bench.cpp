// How long closing the instrument takes while the acquisition thread waits
// for a silent receiver: the stop request must wake the blocked read, the
// thread is joined, and the port closed. Only the close is timed.
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <benchmark/benchmark.h>
#include <QApplication>

#include "app/main_dlg.h"
#include "base/settings_values.h"
#include "settings/settings_file.h"
#include "settings/storage_path.h"

namespace {

namespace fs = std::filesystem;

void BM_CloseWhileReceiverSilent(benchmark::State& state) {
  const fs::path storage = fs::temp_directory_path() / ("close-bench-" + std::to_string(::getpid()));
  fs::create_directories(storage / "sys");
  termios raw{};
  ::cfmakeraw(&raw);
  int master = -1, line = -1;
  char name[128] = {};
  if (::openpty(&master, &line, name, &raw, nullptr) != 0) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  fs::create_symlink(name, storage / "COM7");
  const std::u16string record = Utf8ToUtf16("COM7:, 9600,6,3,0,1,1, 3");
  std::ofstream(storage / "TermIni.INI", std::ios::binary)
      .write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size() * 2));

  StartupEnvironment env = StartupEnvironment::Default();
  env.modulePath = [&] { return HandheldModulePath(storage / "flight-instrument"); };
  env.showMessage = [](QWidget*, const QString&) {};
  env.audioDevice = "null";
  for (auto _ : state) {
    state.PauseTiming();
    auto dlg = std::make_unique<CMainDlg>(nullptr, env);
    dlg->OnInitDialog();  // the test read waits its second for the silent receiver
    state.ResumeTiming();
    dlg->done(QDialog::Rejected);
    dlg.reset();
  }
  ::close(master);
  ::close(line);
  fs::remove_all(storage);
}
BENCHMARK(BM_CloseWhileReceiverSilent)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
