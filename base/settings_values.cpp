#include "base/settings_values.h"

SharedText g_strComPort{"COM7:"};
std::atomic<int> g_nBaudRate{9600};
int g_nComPortIndex = 1;
int g_nBaudIndex = 4;
std::atomic<int> g_nFieldSel1{0};
std::atomic<int> g_nFieldSel2{1};
std::atomic<int> g_nFieldSel3{3};
std::atomic<int> g_bSound{1};
std::atomic<bool> g_bPositionRequest{false};

std::string g_strStorageFolder;
std::string g_strSettingsPath = "\\SDMMC\\TermIni.INI";
