// Any bytes on the GPS line: the acquisition loop (sentence assembly,
// checksums, the sentence reader, every computation and the display texts)
// must neither crash nor write a B record that is not exactly 35
// characters of the track log's layout.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "flight/acquisition_loop.h"
#include "flight/flight_reset.h"
#include "flight/recorded_byte_source.h"
#include "logs/flight_logs.h"

namespace {

class NullWindow final : public InstrumentWindow {
 public:
  void ShowFieldTexts(const FieldTexts&) override {}
  void RequestRepaint() override {}
};

bool IsRecord(const std::string& record) {
  if (record.empty()) return true;  // a fix whose texts do not fit writes nothing
  if (record.size() != 36 || record[0] != 'B' || record[35] != '\n') return false;
  for (std::size_t i = 0; i < 35; ++i) {
    if (record[i] < 0x20 || record[i] > 0x7e) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool logsOpen = [] {
    std::string folder = (std::filesystem::temp_directory_path() / "acquisition-fuzz-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) std::abort();
    OpenFlightLogs(folder, LocalTime{2026, 3, 23, 14, 5, 9}, false);
    g_fileTrack.SetBatched(true);  // in memory, written now and then
    g_fileAccel.SetBatched(true);
    return true;
  }();
  (void)logsOpen;
  ResetFlight();
  MemoryByteSource source(std::string(reinterpret_cast<const char*>(data), size));
  NullWindow window;
  AcquisitionLoop loop(source, window);
  loop.AcquisitionThreadProc();
  if (!IsRecord(TrackRecord(loop.State()))) __builtin_trap();
  return 0;
}
