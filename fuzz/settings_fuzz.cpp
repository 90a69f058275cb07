// Any bytes as TermIni.INI (a damaged card): loading must not crash, and
// the file saved afterwards must load back to settings that save the very
// same file again.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/settings_values.h"
#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path folder = [] {
    std::string path = (std::filesystem::temp_directory_path() / "settings-fuzz-XXXXXX").string();
    if (::mkdtemp(path.data()) == nullptr) std::abort();
    SetSettingsMessageHook([](const std::string&) {});
    return std::filesystem::path(path);
  }();
  ResetSettingsToInitialValues();
  g_strSettingsPath = "\\" + folder.string() + "\\TermIni.INI";
  std::ofstream(folder / "TermIni.INI", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  const auto saved = [] {
    SaveSettings();
    std::ifstream in(folder / "TermIni.INI", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  LoadSettings();
  const std::string first = saved();
  ResetSettingsToInitialValues();
  g_strSettingsPath = "\\" + folder.string() + "\\TermIni.INI";
  LoadSettings();
  if (saved() != first) __builtin_trap();
  return 0;
}
