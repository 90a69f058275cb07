// Any bytes as TermIni.INI (a damaged card): loading must not crash; a file
// read without a word must be a record the program writes, so saving gives
// back the very same bytes; and whatever was read, the file saved afterwards
// must load back to settings that save the very same file again.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/settings_values.h"
#include "settings/settings_file.h"

namespace {

std::filesystem::path g_folder;
bool g_messageShown = false;

// In memory where there is such a folder: each save forces the file to
// storage, which on a disk would hold the fuzzer to a few dozen files a second.
void MakeFolder() {
  std::error_code ignored;
  const std::filesystem::path memory = "/dev/shm";
  const std::filesystem::path parent = std::filesystem::is_directory(memory, ignored)
                                           ? memory
                                           : std::filesystem::temp_directory_path();
  std::string path = (parent / "settings-fuzz-XXXXXX").string();
  if (::mkdtemp(path.data()) == nullptr) std::abort();
  g_folder = path;
  std::atexit([] { std::error_code ignored; std::filesystem::remove_all(g_folder, ignored); });
  SetSettingsMessageHook([](const std::string&) { g_messageShown = true; });
}

void Load() {
  ResetSettingsToInitialValues();
  g_strSettingsPath = "\\" + g_folder.string() + "\\TermIni.INI";
  g_messageShown = false;
  LoadSettings();
}

std::string Saved() {
  SaveSettings();
  std::ifstream in(g_folder / "TermIni.INI", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (g_folder.empty()) MakeFolder();
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::ofstream(g_folder / "TermIni.INI", std::ios::binary | std::ios::trunc) << input;
  Load();
  const bool taken = !g_messageShown;
  const std::string first = Saved();
  if (taken && first != input) __builtin_trap();
  Load();
  if (g_messageShown || Saved() != first) __builtin_trap();
  return 0;
}
