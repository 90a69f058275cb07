// The process-wide settings: the GPS port and its rate, the positions last
// chosen in the settings dialog's lists, the code of the value each display
// line shows, and the sound flag; plus the pilot's one-shot request for a
// new start point. The settings file loads them, the settings dialog
// changes them on the user-interface thread, and the acquisition thread
// reads them, so the ones it reads are atomic (the port name is locked).
#pragma once

#include <atomic>
#include <string>

#include "base/shared_text.h"

extern SharedText g_strComPort;        // GPS port name, "COM1:".."COM9:"
extern std::atomic<int> g_nBaudRate;   // [bit/s]
extern int g_nComPortIndex;            // position in the settings dialog's port list
extern int g_nBaudIndex;               // position in its baud list
extern std::atomic<int> g_nFieldSel1;  // code of the top display field
extern std::atomic<int> g_nFieldSel2;  // code of the middle display field
extern std::atomic<int> g_nFieldSel3;  // code of the bottom display field
extern std::atomic<int> g_bSound;      // 1 sound on, 0 off (read by the audio vario)
extern std::atomic<bool> g_bPositionRequest;  // the pilot asked for a new start point

// Where the instrument keeps its files, set once at start-up before the
// acquisition thread exists (handheld path form, see settings/storage_path.h).
extern std::string g_strStorageFolder;
extern std::string g_strSettingsPath;   // "\" + folder + "\TermIni.INI"
