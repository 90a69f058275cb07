#include "display/display_texts.h"

#include <array>

#include "base/flight_values.h"
#include "base/settings_values.h"
#include "base/text_format.h"
#include "device/gm130api.h"
#include "display/top_line.h"
#include "display/traffic_texts.h"

namespace {

// What a line can show. Each kind is formatted in one place; the table below
// says which kind a field's code selects.
enum class Row {
  kSpeedAlone,        // strSpeed, no label: also every code outside a field's list
  kSpeed,             // "V "
  kAltGps,            // "H "
  kCourse,            // "K "
  kWindFrom,          // "Wd ", where the wind comes from
  kWindSpeed,         // "Wf "
  kLongitude,         // hemisphere letter + the field as received
  kLatitude,
  kTimeAlone,         // hhmmss, no label
  kTime,              // "T "
  kGlideRatio,        // "D/H " while sinking, else the vertical speed
  kSpeedToSink,       // "d/H " while sinking, else the vertical speed
  kHeading,           // "FI "
  kSpeedOnHeading,    // "WX "
  kBattery,           // "Bat " or "Error dev"
  kAltBaroTight,      // "Hb", no blank after the label
  kAltBaro,           // "Hb "
  kAirspeed,          // "TAS "
  kThermalDist,       // "Dist "
  kThermalBearing,    // "Ugol "
  kCompassCorrected,  // "FIm "
  kStartDist,         // "S0 "
  kStartBearing,      // "A0 "
  kCircleWind,        // "Wc ", the wind fitted to the circles flown
  kTraffic,           // "Tr ", the traffic of a collision-warning device
  kAirspace,          // "As ", the nearest airspace that warns
};

enum Field { kTop, kMiddle, kBottom };

// Each field has its own list in the settings dialog, so the same code means
// different values in different fields from code 7 on. Columns: top, middle,
// bottom field.
using R = Row;
constexpr std::array<std::array<Row, 3>, 20> kRows = {{
    /*  0 */ {R::kSpeed,          R::kSpeed,           R::kSpeed},
    /*  1 */ {R::kAltGps,         R::kAltGps,          R::kAltGps},
    /*  2 */ {R::kCourse,         R::kCourse,          R::kCourse},
    /*  3 */ {R::kWindFrom,       R::kWindFrom,        R::kWindFrom},
    /*  4 */ {R::kWindSpeed,      R::kWindSpeed,       R::kWindSpeed},
    /*  5 */ {R::kLongitude,      R::kLongitude,       R::kLongitude},
    /*  6 */ {R::kLatitude,       R::kLatitude,        R::kLatitude},
    /*  7 */ {R::kTimeAlone,      R::kTime,            R::kTime},
    /*  8 */ {R::kGlideRatio,     R::kGlideRatio,      R::kGlideRatio},
    /*  9 */ {R::kHeading,        R::kAirspeed,        R::kAirspeed},
    /* 10 */ {R::kSpeedOnHeading, R::kSpeedToSink,     R::kSpeedToSink},
    /* 11 */ {R::kSpeedToSink,    R::kThermalDist,     R::kThermalDist},
    /* 12 */ {R::kBattery,        R::kThermalBearing,  R::kThermalBearing},
    /* 13 */ {R::kAltBaroTight,   R::kAltBaroTight,    R::kAltBaro},
    /* 14 */ {R::kAirspeed,       R::kCircleWind,      R::kCompassCorrected},
    /* 15 */ {R::kCircleWind,     R::kTraffic,         R::kStartDist},
    /* 16 */ {R::kTraffic,        R::kAirspace,        R::kStartBearing},
    /* 17 */ {R::kAirspace,       R::kSpeedAlone,      R::kCircleWind},
    /* 18 */ {R::kSpeedAlone,     R::kSpeedAlone,      R::kTraffic},
    /* 19 */ {R::kSpeedAlone,     R::kSpeedAlone,      R::kAirspace},
}};

Row RowOf(Field field, int code) {
  // Compared unsigned: a combo box without a selection (-1) falls past the end.
  const auto index = static_cast<unsigned>(code);
  return index < kRows.size() ? kRows[index][field] : Row::kSpeedAlone;
}

// The vertical speed while climbing or level; the row's own text while sinking.
std::string VarioText() { return "Var " + FormatFixed(g_dVario, 3, 1); }

void StoreRowText(Row row, const AcquisitionState& s, const TrafficPicture& traffic, const AirspaceTexts& airspace,
                  std::string& text) {
  switch (row) {
    case Row::kSpeedAlone: text = s.strSpeed; break;
    case Row::kSpeed: text = "V " + s.strSpeed; break;
    case Row::kAltGps: text = "H " + FormatFixed(s.dAltGps, 4, 0); break;
    case Row::kCourse: text = "K " + FormatFixed(s.dCourse, 3, 0); break;
    case Row::kWindFrom: {
      // g_dWindDir is where the wind goes; the pilot reads where it comes from.
      const double toward = g_dWindDir;
      text = "Wd " + FormatFixed(toward > 180 ? toward - 180 : toward + 180, 3, 0);
      break;
    }
    case Row::kWindSpeed: text = "Wf " + FormatFixed(g_dWindSpeed, 2, 0); break;
    case Row::kLongitude: text = s.strLonHemi + s.strLonText; break;
    case Row::kLatitude: text = s.strLatHemi + s.strLatText; break;
    case Row::kTimeAlone: text = s.strTime; break;
    case Row::kTime: text = "T " + s.strTime; break;
    case Row::kGlideRatio:
      text = g_dVario < 0 ? "D/H " + FormatFixed(g_dGlideRatio, 3, 0) : VarioText();
      break;
    case Row::kSpeedToSink:
      // km/h over m/s with no unit factor: a figure the pilot compares, not a
      // glide ratio. Only formed while sinking, so never a division by zero.
      text = g_dVario < 0 ? "d/H " + FormatFixed(-(s.dSpeed / g_dVario), 3, 0) : VarioText();
      break;
    case Row::kHeading: text = "FI " + FormatFixed(g_dHeading, 3, 0); break;
    case Row::kSpeedOnHeading: text = "WX " + FormatFixed(g_dSpeedOnHeading, 3, 0); break;
    case Row::kBattery:
      // The gauge is opened, read and closed around each reading; it is
      // closed only once the text is in place, and only if it opened.
      if (pwrOpenDevice() == 0) {
        text = "Error dev";
      } else {
        text = "Bat " + FormatInt(pwrGetLevel(), 3);
        pwrCloseDevice();
      }
      break;
    case Row::kAltBaroTight: text = "Hb" + FormatFixed(s.dAltBaro, 4, 0); break;
    case Row::kAltBaro: text = "Hb " + FormatFixed(s.dAltBaro, 4, 0); break;
    case Row::kAirspeed: text = "TAS " + FormatFixed(g_dAirspeed, 3, 0); break;
    case Row::kThermalDist: text = "Dist " + FormatFixed(g_dThermalDist, 3, 1); break;
    case Row::kThermalBearing: text = "Ugol " + FormatFixed(s.dBearingThermal, 3, 0); break;
    case Row::kCompassCorrected:
      // Corrected by the magnetic variation; the sum is left outside 0..360.
      text = "FIm " + FormatFixed(g_dCompassDir + s.dMagVar, 4, 0);
      break;
    case Row::kStartDist: text = "S0 " + FormatFixed(g_dStartDist, 4, 1); break;
    case Row::kStartBearing: text = "A0 " + FormatFixed(s.dBearingStart, 4, 0); break;
    case Row::kCircleWind: {
      const CircleWind wind = g_circleWind;
      text = wind.bFitted ? "Wc " + FormatFixed(wind.dFromDir, 3, 0) + "/" + FormatFixed(wind.dSpeed, 3, 1)
                          : "Wc --";  // no circle flown yet
      break;
    }
    case Row::kTraffic: text = TrafficFieldText(traffic); break;
    case Row::kAirspace: text = airspace.strEntry; break;
  }
}

}  // namespace

void UpdateDisplayTexts(const AcquisitionState& state, const TrafficPicture& traffic, const AirspaceTexts& airspace,
                        FieldTexts& texts) {
  // Top, bottom, middle: the order the lines have always been built in.
  StoreRowText(RowOf(kTop, g_nFieldSel1), state, traffic, airspace, texts.strField1);
  texts.strTopField = texts.strField1;
  StoreRowText(RowOf(kBottom, g_nFieldSel3), state, traffic, airspace, texts.strField3);
  StoreRowText(RowOf(kMiddle, g_nFieldSel2), state, traffic, airspace, texts.strField2);
  ApplyTopLine(texts, traffic.alarm, airspace.strWarning);
}
