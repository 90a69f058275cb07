// The flight record: every run writes an IGC track file and an acceleration
// log into the folder "FlyData" of the storage folder, both named after the
// local time of the start, one record each per accepted fix. ASCII text,
// lines ended by a single line feed.
//
//   trk_230326140509.IGC               acc_230326140509.csv
//   AHOL001                            ;x;y;z
//   HFDTE230326                        123519; 0.12;-0.03; 1.01
//   HFPLTPILOTINCHARGE:...  (the H records of track_header.h)
//   B1235194807038N01131000EA0054300545
//    |     |       |        |    |    GPS altitude [m], "00000" before a GPGGA
//    |     |       |        |    barometric altitude [m], "00000" without barometer
//    |     |       |        status letter of the GPRMC
//    |     |       longitude DDDMMmmm + E/W
//    |     latitude DDMMmmm + N/S
//    UTC time hhmmss
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/acquisition_state.h"
#include "logs/local_time.h"
#include "logs/log_file.h"
#include "logs/track_header.h"

extern LogFile g_fileTrack;
extern LogFile g_fileAccel;

struct FlightLogNames {
  std::string track;   // trk_DDMMYYhhmmss.IGC
  std::string accel;   // acc_DDMMYYhhmmss.csv
};

// The names of a run started at `time`. A second run started within the
// same second gets run number 2 ("trk_230326140509_2.IGC"), and so on.
FlightLogNames FlightLogNamesFor(const LocalTime& time, int run);

inline constexpr std::string_view kAccelHeader = ";x;y;z\n";
// The B record of a fix, 35 characters and a line feed:
//   B hhmmss DDMMmmmN DDDMMmmmE A PPPPP GGGGG
// time, latitude, longitude, status letter, pressure and GPS altitude. The
// empty text when the fix's texts do not fill those columns exactly (an
// IGC reader would reject the whole file for one broken line).
std::string TrackRecord(const AcquisitionState& state);
// True when the fix's texts fill the B record's columns: a time of day,
// digits and hemisphere letters, status A or V, two altitudes.
bool IsTrackRecordable(const AcquisitionState& state);
// The range of the five altitude columns.
inline constexpr int kMinRecordedAltitude = -9999;
inline constexpr int kMaxRecordedAltitude = 99999;
std::string AccelRecord(std::string_view time, float x, float y, float z);

// Creates "FlyData" in the storage folder (handheld form, see
// storage_path.h) and opens a new track file and acceleration log named
// after the local time `time`, with their header lines. Existing logs are
// never emptied: when this second's names are taken, the next run number
// is used. True when both opened. Logs that cannot be created (a folder
// the program may not write to, no card) are tried again at every record
// until they can be: the flight is recorded from then on.
bool OpenFlightLogs(const std::string& storageFolder, const LocalTime& time,
                    const TrackHeaderFields& header, bool syncEachRecord = true);
// Why the logs asked for could not be created, for the pilot; empty when
// they are open.
std::string FlightLogsProblem();
// The try again: true when both logs are open.
bool RetryFlightLogs();
// A run that takes over from the one before it in the same flight appends
// to that run's logs, closed whole: true when both opened.
bool ContinueFlightLogs(const std::filesystem::path& track, const std::filesystem::path& accel,
                        bool syncEachRecord = true);
void CloseFlightLogs();

// Removes, beside this run's open logs, the pairs that ended runs left
// without a single record (a program started again and again before a
// fix, by a restart loop or a cockpit's power): only header lines, and not
// held by a running program. Pairs with records are never touched.
// Returns how many pairs went.
int RemoveFixlessLogs();

// A fix whose B record cannot be formed writes nothing to the track log.
// The first B record of a run dates the track: its GPRMC date (strDate),
// when it names a real day, replaces the clock's in the date line, which
// then stays as it is for the rest of the run.
void WriteTrackRecord(const AcquisitionState& state);
void WriteAccelRecord(std::string_view time, float x, float y, float z);
