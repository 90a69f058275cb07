#include "settings/settings_file.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <filesystem>
#include <mutex>
#include <optional>
#include <unistd.h>
#include <utility>
#include <vector>

#include "base/text_format.h"
#include "settings/storage_path.h"


namespace {

constexpr std::size_t kFixedRecordChars = 24;
constexpr int kRecordFields = 8;
// Far more than any record; a larger file is not a settings file.
constexpr std::size_t kMaxFileBytes = 512;

std::mutex g_hookMutex;
std::function<void(const std::string&)> g_messageHook;

void ShowMessage(const std::string& message) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  if (g_messageHook) {
    g_messageHook(message);
  } else {
    std::fprintf(stderr, "%s\n", message.c_str());
  }
}

bool IsSpace(char16_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// An integer the way the handheld's text-to-integer conversion reads it:
// leading white space, an optional sign, digits up to the first non-digit;
// no digits give 0.
int ReadInteger(std::u16string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  long long value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    if (value <= INT_MAX) value = value * 10 + (text[pos] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// Columns [first, first + count) of the record; past its end they are empty.
std::u16string_view Columns(std::u16string_view record, std::size_t first, std::size_t count) {
  return first < record.size() ? record.substr(first, count) : std::u16string_view();
}

SettingsRecord FromFields(const std::array<std::u16string_view, kRecordFields>& f) {
  SettingsRecord s;
  s.comPort = Utf16ToUtf8(f[0]);
  s.baudRate = ReadInteger(f[1]);
  s.comPortIndex = ReadInteger(f[2]);
  s.baudIndex = ReadInteger(f[3]);
  s.fieldSel1 = ReadInteger(f[4]);
  s.fieldSel2 = ReadInteger(f[5]);
  s.bSound = ReadInteger(f[6]);
  s.fieldSel3 = ReadInteger(f[7]);
  return s;
}

SettingsRecord ParseFixedColumns(std::u16string_view record) {
  return FromFields({Columns(record, 0, 5), Columns(record, 6, 5), Columns(record, 12, 1),
                     Columns(record, 14, 1), Columns(record, 16, 1), Columns(record, 18, 1),
                     Columns(record, 20, 1), Columns(record, 22, 2)});
}

// A record longer than the fixed columns: the eight fields between its
// commas. False unless there are exactly eight.
bool ParseWideRecord(std::u16string_view record, SettingsRecord& settings) {
  std::array<std::u16string_view, kRecordFields> fields;
  std::size_t start = 0;
  for (int i = 0; i < kRecordFields; ++i) {
    const std::size_t comma = record.find(u',', start);
    if ((comma == std::u16string_view::npos) != (i == kRecordFields - 1)) return false;
    fields[i] = record.substr(start, comma == std::u16string_view::npos ? comma : comma - start);
    start = comma + 1;
  }
  settings = FromFields(fields);
  return true;
}

// The port names the settings dialog sets, and the five blanks it writes
// when OK is pressed after a start without a port.
bool IsDialogPortName(std::string_view port) {
  return port == "     " ||
         (port.size() == 5 && port.substr(0, 3) == "COM" && port[3] >= '1' && port[3] <= '9' &&
          port[4] == ':');
}

// Reads the whole (small) file; false when it cannot be opened or read.
bool ReadSmallFile(const std::filesystem::path& path, std::vector<unsigned char>& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bytes.assign(kMaxFileBytes, 0);
  std::size_t total = 0;
  bool ok = true;
  while (total < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + total, bytes.size() - total);
    if (n > 0) {
      total += static_cast<std::size_t>(n);
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      ok = false;
      break;
    }
  }
  ::close(fd);
  bytes.resize(total);
  return ok;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n == 0 || errno != EINTR) {
      return false;
    }
  }
  return true;
}

// Where the folder is its group's (an installed instrument's storage
// folder, shared by the service and the pilots of its group), so are the
// settings: writable for the group whatever the umask of their writer.
void ShareWithFolderGroup(int fd, const std::filesystem::path& path) {
  struct stat folder {}, file {};
  if (::stat(path.parent_path().empty() ? "." : path.parent_path().c_str(), &folder) == 0 &&
      (folder.st_mode & S_IWGRP) && ::fstat(fd, &file) == 0 && !(file.st_mode & S_IWGRP)) {
    ::fchmod(fd, (file.st_mode & 07777) | S_IWGRP);
  }
}

bool WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0664);
  if (fd < 0) return false;
  ShareWithFolderGroup(fd, path);
  const bool written = WriteAll(fd, bytes);
  const bool synced = ::fsync(fd) == 0;
  return (::close(fd) == 0) && synced && written;
}

// The file rewritten where it is: for a folder whose sticky bit lets no one
// but its owner replace it (the group's storage folder, whose settings
// another pilot of the group, or the service, saved last).
bool RewriteInPlace(const std::filesystem::path& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
  const bool synced = ::fsync(fd) == 0;
  return (::close(fd) == 0) && synced && written;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  static constexpr unsigned char kLeadMask[] = {0x7f, 0x1f, 0x0f, 0x07};
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80             ? 0
                      : (lead & 0xe0) == 0xc0 ? 1
                      : (lead & 0xf0) == 0xe0 ? 2
                      : (lead & 0xf8) == 0xf0 ? 3
                                              : -1;
    bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
    char32_t code = valid ? lead & kLeadMask[extra] : 0;
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xc0) == 0x80;
      code = (code << 6) | (next & 0x3f);
    }
    if (!valid || code > 0x10ffff) {
      out.push_back(u'\ufffd');
      ++i;
      continue;
    }
    i += static_cast<std::size_t>(extra) + 1;
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xd800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xdc00 + (code & 0x3ff)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xd800 && code < 0xdc00 && i + 1 < text.size() && text[i + 1] >= 0xdc00 &&
        text[i + 1] < 0xe000) {
      code = 0x10000 + ((code - 0xd800) << 10) + (text[++i] - 0xdc00);
    } else if (code >= 0xd800 && code < 0xe000) {
      code = 0xfffd;  // a lone surrogate
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xc0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3f)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xe0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3f)));
    } else {
      out.push_back(static_cast<char>(0xf0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3f)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3f)));
    }
  }
  return out;
}

SettingsRecord CurrentSettings() {
  return {g_strComPort.Get(), g_nBaudRate, g_nComPortIndex, g_nBaudIndex,
          g_nFieldSel1,       g_nFieldSel2, g_bSound,        g_nFieldSel3};
}

void ApplySettings(const SettingsRecord& s) {
  g_strComPort = s.comPort;
  g_nBaudRate = s.baudRate;
  g_nComPortIndex = s.comPortIndex;
  g_nBaudIndex = s.baudIndex;
  g_nFieldSel1 = s.fieldSel1;
  g_nFieldSel2 = s.fieldSel2;
  g_bSound = s.bSound;
  g_nFieldSel3 = s.fieldSel3;
}

std::string FormatSettingsRecord(const SettingsRecord& s) {
  return PadLeft(s.comPort, 5) + "," + FormatInt(s.baudRate, 5) + "," +
         FormatInt(s.comPortIndex, 1) + "," + FormatInt(s.baudIndex, 1) + "," +
         FormatInt(s.fieldSel1, 1) + "," + FormatInt(s.fieldSel2, 1) + "," +
         FormatInt(s.bSound, 1) + "," + FormatInt(s.fieldSel3, 2);
}

std::optional<SettingsRecord> ParseSettingsRecord(std::u16string_view record) {
  SettingsRecord settings;
  if (record.size() <= kFixedRecordChars) {
    settings = ParseFixedColumns(record);
  } else if (!ParseWideRecord(record, settings)) {
    return std::nullopt;
  }
  // Only what the writer itself writes for these values is a record: that
  // leaves no room for stray characters, missing or extra separators, a cut
  // or padded column, leading zeros or a plus sign, and every record that
  // is read saves back to the very same file.
  if (!IsDialogPortName(settings.comPort) || settings.baudRate <= 0 ||
      Utf8ToUtf16(FormatSettingsRecord(settings)) != record) {
    return std::nullopt;
  }
  return settings;
}

namespace {

// The settings of a first start, said to the pilot: a damaged file is no
// reason to guess at a port or a rate.
void StartWithDefaults(const std::string& why) {
  ApplySettings(SettingsRecord{});
  g_strComPort = std::string();
  ShowMessage("TermIni.INI " + why + ": the default settings are used; choose the GPS port with \"set\"");
}

}  // namespace

void LoadSettings() {
  const std::filesystem::path path = ToLocalPath(g_strSettingsPath);
  std::vector<unsigned char> bytes;
  if (!ReadSmallFile(path, bytes)) {
    std::error_code ignored;
    if (std::filesystem::exists(path, ignored)) return StartWithDefaults("cannot be read");
    g_strComPort = std::string();
    return;
  }
  // Two bytes a character: an odd byte is none the writer left.
  if (bytes.size() % 2 != 0) return StartWithDefaults("is damaged");
  std::u16string record;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    record.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  const std::optional<SettingsRecord> settings = ParseSettingsRecord(record);
  if (!settings) return StartWithDefaults("is damaged");
  ApplySettings(*settings);
}

void SaveSettings() {
  std::string bytes;
  for (char16_t c : Utf8ToUtf16(FormatSettingsRecord(CurrentSettings()))) {
    bytes.push_back(static_cast<char>(c & 0xff));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  // Written beside the old file and then put in its place, so that a power
  // cut while saving leaves either the old or the new settings, never half.
  const std::filesystem::path path = ToLocalPath(g_strSettingsPath);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    // A folder where the file belongs: moved aside, with whatever it holds.
    std::filesystem::path aside = path;
    aside += ".damaged";
    std::filesystem::rename(path, aside, ignored);
  }
  std::filesystem::path fresh = path;
  fresh += ".new";
  if (WriteWholeFile(fresh, bytes) && ::rename(fresh.c_str(), path.c_str()) == 0) return;
  ::unlink(fresh.c_str());
  // A folder that takes no new files, or lets no one but its owner replace
  // the file, may still let the file be rewritten.
  if (RewriteInPlace(path, bytes) || WriteWholeFile(path, bytes)) return;
  ShowMessage("Can't open file TermIni.ini for write");
}

void SetSettingsMessageHook(std::function<void(const std::string& message)> hook) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  g_messageHook = std::move(hook);
}

void ResetSettingsToInitialValues() {
  ApplySettings(SettingsRecord{});
  g_bPositionRequest = false;
  g_strStorageFolder.clear();
  g_strSettingsPath = "\\SDMMC\\TermIni.INI";
}
