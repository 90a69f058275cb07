// Shared pieces of the flight tests: a fixture that gives every test the
// start state of a new process, and scriptable stand-ins for the GPS port,
// the sensors and the main window.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "base/byte_source.h"
#include "device/sensor_backend.h"
#include "flight/acquisition_loop.h"

// The recorded NMEA streams beside the project (see its data README).
std::filesystem::path RecordingPath(const std::string& name);
#define SKIP_WITHOUT_RECORDINGS()                                                      \
  if (!std::filesystem::is_directory(FLIGHT_RECORDINGS_DIR))                           \
  GTEST_SKIP() << "the recorded NMEA streams (" FLIGHT_RECORDINGS_DIR                  \
                  ") are not beside this clone"

// Resets every process-wide value (flight values, settings, sensors, logs)
// before and after each test, and collects what the logs report.
class FlightTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::vector<std::string> logErrors;
};

// A GPS port that plays a script of read results.
class ScriptedByteSource : public ByteSource {
 public:
  struct Step {
    ReadStatus status;
    char byte;
  };

  void AddBytes(const std::string& bytes);
  void Add(ReadStatus status, char byte = 0) { steps.push_back({status, byte}); }

  ReadStatus ReadByte(char& byte) override;
  bool Reopen() override;

  std::deque<Step> steps;      // when empty, the stream ends
  bool reopenSucceeds = true;
  int reopens = 0;
};

// Sensors whose readings the test sets.
class ScriptedSensors : public SensorBackend {
 public:
  bool OpenBarometer() override { return barometerPresent; }
  int BarometricAltitude() override { ++altitudeReads; return altitude; }
  bool OpenCompass() override { return compassPresent; }
  bool CompassCalibrated() override { return calibrated; }
  int CompassDirection() override { return direction; }
  void GSensor(float& first, float& second, float& third) override {
    first = g[0];
    second = g[1];
    third = g[2];
  }
  bool OpenBattery() override { return batteryPresent; }
  int BatteryLevel() override { return batteryLevel; }
  void CloseBattery() override { ++batteryCloses; }

  bool barometerPresent = true;
  int altitude = 0;
  int altitudeReads = 0;
  bool compassPresent = true;
  bool calibrated = true;
  int direction = 0;
  float g[3] = {0, 0, 0};
  bool batteryPresent = true;
  int batteryLevel = 0;
  int batteryCloses = 0;
};

// The main window as the loop sees it: remembers what it was shown.
class RecordingWindow : public InstrumentWindow {
 public:
  void ShowFieldTexts(const FieldTexts& texts) override {
    shown.push_back(texts);
    if (onShow) onShow();
  }
  void RequestRepaint() override {
    ++repaints;
    if (onRepaint) onRepaint();
  }

  std::vector<FieldTexts> shown;
  int repaints = 0;
  std::function<void()> onShow;
  std::function<void()> onRepaint;
};
