// The instrument's settings and the file that keeps them, "TermIni.INI" in
// the storage folder: one fixed-column record of UTF-16 little-endian
// characters, no byte-order mark, no line end:
//
//   columns  0-4    6-10  12 14 16 18 20 22-23
//           "COM7:, 9600,6,3,0,1,1, 3"
//            port   baud |  | |  | |  bottom field code
//                        |  | |  | sound 1/0
//                        |  | |  middle field code
//                        |  | top field code
//                        |  position in the baud list
//                        position in the port list
//
// written with "%5s,%5i,%1i,%1i,%1i,%1i,%1i,%2i". A value too wide for its
// columns (115200 baud, field code 10 or more in the top or middle line)
// makes the record longer than 24 characters; such a record is written in
// full and read back field by field between its commas, so nothing shifts.
// Records of 24 characters are read by their fixed columns.
//
// A file is taken as settings only when it holds a record this writer
// writes: a port name the settings dialog sets ("COM1:".."COM9:", or five
// blanks when no port was chosen), a rate, and the numbers each exactly as
// formatted, between single commas. A number outside its list (a baud
// position of 200) is still a number; anything else is a damaged file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/settings_values.h"

// One set of settings values, as a record holds them.
struct SettingsRecord {
  std::string comPort = "COM7:";
  int baudRate = 9600;
  int comPortIndex = 1;
  int baudIndex = 4;
  int fieldSel1 = 0;
  int fieldSel2 = 1;
  int bSound = 1;
  int fieldSel3 = 3;

  bool operator==(const SettingsRecord&) const = default;
};

// The process-wide settings as one value, and back.
SettingsRecord CurrentSettings();
void ApplySettings(const SettingsRecord& settings);

// The record text as the format writes it (24 characters with in-range values).
std::string FormatSettingsRecord(const SettingsRecord& settings);
// The settings a record holds; nothing when the text is no record (see above).
std::optional<SettingsRecord> ParseSettingsRecord(std::u16string_view record);

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Reads the file at g_strSettingsPath into the settings. Without a file
// the port name becomes empty (so no port opens) and the rest keeps its
// values; a damaged or unreadable file gives the settings of a first start
// and a message through the hook below.
void LoadSettings();
// Writes the settings to g_strSettingsPath; a failure is shown to the pilot
// through the message hook ("Can't open file TermIni.ini for write").
void SaveSettings();

// Where LoadSettings and SaveSettings show their messages; the application
// connects a message box. Standard error until then.
void SetSettingsMessageHook(std::function<void(const std::string& message)> hook);

// The settings as they are before the file is read.
void ResetSettingsToInitialValues();
