// The record that the acquisition loop keeps for the life of its thread:
// the texts and numbers of the last GPS sentences, the barometric altitude,
// and the navigation memory (start point, thermal peak, smoothed wind).
//
// The NMEA reader fills it, the navigation keeps its own fields up to date,
// and the logs and display texts read it. Only the acquisition thread
// touches it.
#pragma once

#include <string>

struct AcquisitionState {
  std::string strSentence;              // sentence being assembled, from its "$" on

  std::string strTime = "011201";       // UTC hhmmss of the last GPRMC
  std::string strLat = "5535111N";      // IGC latitude DDMMmmm + hemisphere
  std::string strLon = "03722333E";     // IGC longitude DDDMMmmm + hemisphere
  std::string strLatHemi = "N";
  std::string strLonHemi = "E";
  std::string strStatus = "A";          // GPRMC status as received
  std::string strDate;                  // GPRMC UTC date ddmmyy as received
  std::string strLatText;               // GPRMC latitude field as received
  std::string strLonText;               // GPRMC longitude field as received
  std::string strSpeed;                 // ground speed [km/h], "%3.0f"
  std::string strAltGps = "00000";      // GPS altitude for the B record
  std::string strAltBaro = "00000";     // barometric altitude for the B record

  double dAltGps = 0;                   // [m] from GPGGA
  double dAltBaro = 0;                  // [m]
  double dSpeed = 0;                    // ground speed [km/h]
  double dCourse = 0;                   // course over ground [deg]
  double dMagVar = 0;                   // magnetic variation [deg], west negative
  double dTime = 0;                     // strTime read as the number hhmmss
  double dLat = 0;                      // [deg], negative south of the equator
  double dLon = 0;                      // [deg], negative west of Greenwich

  // Navigation memory.
  double dLatStart = 0;                 // start point [deg]
  double dLonStart = 0;
  double dBearingStart = 0;             // to the start point [deg], -180..180
  double dBearingThermal = 0;           // to the predicted thermal [deg], -180..180
  double dLatPeak = 0;                  // where the strongest climb was seen [deg]
  double dLonPeak = 0;
  int nPeakTime = 0;                    // when it was seen [s since midnight]
  double dDriftNorth = 0;               // smoothed wind [m/s]
  double dDriftEast = 0;
};
