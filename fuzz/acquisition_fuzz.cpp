// Any bytes on the GPS line: the acquisition loop (sentence assembly,
// checksums, the sentence reader, every computation and the display texts)
// must neither crash nor write a B record that is not exactly 35
// characters of the track log's layout; and it must show and record the
// same whether the bytes come in one read or in uneven pieces, as a serial
// line hands them over.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "flight/acquisition_loop.h"
#include "flight/flight_reset.h"
#include "flight/recorded_byte_source.h"
#include "logs/flight_logs.h"

namespace {

class TextsWindow final : public InstrumentWindow {
 public:
  void ShowFieldTexts(const FieldTexts& t) override { shown += t.strField1 + t.strField2 + t.strField3 + "|"; }
  void RequestRepaint() override {}
  std::string shown;
};

// The bytes in reads of 1 to 16 bytes, in an order the input's length sets.
class PiecesByteSource final : public ByteSource {
 public:
  explicit PiecesByteSource(std::string_view bytes) : m_bytes(bytes), m_nNext(bytes.size()) {}
  ReadStatus Read(std::string_view& bytes) override {
    if (m_bytes.empty()) return ReadStatus::kEnded;
    m_nNext = m_nNext * 1103515245 + 12345;
    bytes = m_bytes.substr(0, 1 + (m_nNext >> 16) % 16);
    m_bytes.remove_prefix(bytes.size());
    return ReadStatus::kBytes;
  }
  bool Reopen() override { return false; }

 private:
  std::string_view m_bytes;
  std::uint32_t m_nNext;
};

// Flies `source` from a fresh start: what was shown, and the fixes recorded.
std::pair<std::string, long long> Fly(ByteSource& source, std::string& lastRecord) {
  ResetFlight();
  TextsWindow window;
  // Traffic ages by the stream's own fix times, as in a replay: the same
  // bytes must always show the same, however long a run takes.
  AcquisitionOptions options;
  options.trafficClock = nullptr;
  AcquisitionLoop loop(source, window, options);
  loop.AcquisitionThreadProc();
  lastRecord = TrackRecord(loop.State());
  return {window.shown, loop.AcceptedFixes()};
}

bool IsRecord(const std::string& record) {
  if (record.empty()) return true;  // a fix whose texts do not fit writes nothing
  if (record.size() != 36 || record[0] != 'B' || record[35] != '\n') return false;
  for (std::size_t i = 0; i < 35; ++i) {
    if (record[i] < 0x20 || record[i] > 0x7e) return false;
  }
  return true;
}

// The logs as a replay writes them: batched, in memory, written now and
// then; a fresh pair every kInputsPerLogs inputs, so that a run of millions
// does not fill the disk (they grow by about half a kilobyte an input).
constexpr long long kInputsPerLogs = 1 << 16;

void OpenLogs(const std::string& folder) {
  CloseFlightLogs();
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(folder) / "FlyData", ignored);
  OpenFlightLogs(folder, LocalTime{2026, 3, 23, 14, 5, 9}, {}, false);
  g_fileTrack.SetBatched(true);
  g_fileAccel.SetBatched(true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::string folder;
  static long long inputs = 0;
  if (inputs++ % kInputsPerLogs == 0) {
    if (folder.empty()) {
      folder = (std::filesystem::temp_directory_path() / "acquisition-fuzz-XXXXXX").string();
      if (::mkdtemp(folder.data()) == nullptr) std::abort();
      std::atexit([] {
        CloseFlightLogs();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
      });
    }
    OpenLogs(folder);
  }
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  MemoryByteSource whole(bytes);
  PiecesByteSource pieces(bytes);
  std::string record, recordInPieces;
  const auto flown = Fly(whole, record);
  if (!IsRecord(record)) __builtin_trap();
  if (Fly(pieces, recordInPieces) != flown || recordInPieces != record) __builtin_trap();
  return 0;
}
