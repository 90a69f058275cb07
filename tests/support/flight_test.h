// Shared pieces of the flight tests: a fixture giving every test the start state
// of a new process, and scriptable stand-ins for GPS port, sensors and main window.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "device/sensor_backend.h"
#include "flight/acquisition_loop.h"  // InstrumentWindow, and ByteSource beneath it

// The recorded NMEA streams beside the project (see its data README).
std::filesystem::path RecordingPath(const std::string& name);
#define SKIP_WITHOUT_RECORDINGS()                                \
  if (!std::filesystem::is_directory(FLIGHT_RECORDINGS_DIR))     \
  GTEST_SKIP() << "the recorded NMEA streams (" FLIGHT_RECORDINGS_DIR ") are not beside this clone"

// "$" + body + "*" + the two hex digits of the exclusive-or of the body,
// and the line end: a sentence as a receiver sends it.
std::string Sentence(const std::string& body);

// The bytes of TermIni.INI holding the ASCII record `record`: UTF-16
// little-endian, no byte-order mark.
std::string SettingsFileBytes(const std::string& record);

// Resets every process-wide value (flight values, settings, sensors, logs)
// before and after each test, and collects what the logs report.
class FlightTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  static void ResetProcessState();

  std::vector<std::string> logErrors;
};

// A GPS port playing a script of read results, then the end; reopens succeed.
class ScriptedByteSource : public ByteSource {
 public:
  // Each byte comes in a read of its own, as from a slow line.
  void AddBytes(const std::string& bytes) { for (char c : bytes) Add(ReadStatus::kBytes, c); }
  void Add(ReadStatus status, char byte = 0) { steps.push_back({status, byte}); }
  ReadStatus Read(std::string_view& bytes) override {
    if (steps.empty()) return ReadStatus::kEnded;
    const auto [status, next] = steps.front();
    steps.pop_front();
    m_byte = next;
    if (status == ReadStatus::kBytes) bytes = std::string_view(&m_byte, 1);
    return status;
  }
  bool Reopen() override { ++reopens; return true; }

  std::deque<std::pair<ReadStatus, char>> steps;
  int reopens = 0;

 private:
  char m_byte = 0;
};

// Sensors whose readings the test sets.
class ScriptedSensors : public SensorBackend {
 public:
  bool OpenBarometer() override { return true; }
  int BarometricAltitude() override { return altitude; }
  bool OpenCompass() override { return compassPresent; }
  bool CompassCalibrated() override { return calibrated; }
  int CompassDirection() override { return direction; }
  void GSensor(float& a, float& b, float& c) override { a = g[0], b = g[1], c = g[2]; }
  bool OpenBattery() override { return batteryPresent; }
  int BatteryLevel() override { return batteryLevel; }

  int altitude = 0, direction = 0, batteryLevel = 0;
  bool compassPresent = true, calibrated = true, batteryPresent = true;
  float g[3] = {0, 0, 0};
};

// The main window as the loop sees it: remembers what it was shown.
class RecordingWindow : public InstrumentWindow {
 public:
  void ShowFieldTexts(const FieldTexts& t) override { shown.push_back(t); if (onShow) onShow(); }
  void RequestRepaint() override { if (onRepaint) onRepaint(); }

  std::vector<FieldTexts> shown;
  std::function<void()> onShow, onRepaint;
};

// The same, as lines of the top and middle texts: "top|middle" for each
// fix ("*" after a top line black on white), "at once: top|middle" for an
// alarm's texts between fixes.
class LinesWindow : public RecordingWindow {
 public:
  void ShowFieldTexts(const FieldTexts& t) override {
    lines.push_back(Line(t));
    RecordingWindow::ShowFieldTexts(t);
  }
  void ShowAlarmChange(const FieldTexts& t) override { lines.push_back("at once: " + Line(t)); }
  static std::string Line(const FieldTexts& t) { return t.strField1 + (t.bTopInverse ? "*" : "") + "|" + t.strField2; }

  std::vector<std::string> lines;
};
