// The fast vertical speed behind the audio vario: two Kalman filters on the
// barometric altitude sampled many times a second, each with altitude and
// vertical speed as its state.
//
// One filter alone must trade noise for speed: quiet enough for level
// flight to stay silent, it takes about a second to hear a thermal; quick
// enough to hear it at once, it makes the tone restless in steady air. So
// a quiet and a quick filter run side by side on the same samples. While
// they agree within the noise, the quiet one is heard; when they part
// because the air has changed, the quick one is heard; in between the
// value moves smoothly from one to the other, so there is no jump.
//
// Every sample brings its own interval (the sensor's timing jitters and
// samples go missing). After a gap of more than a second, or on an
// altitude no flight can reach in one sample, both filters start afresh
// from that sample at 0 m/s, settled as if they had been flying level: the
// value then rises to the truth like a step response, without a spike.
// The constants are in fast_vario_table.h.
#pragma once

class FastVario {
 public:
  FastVario();

  // One barometer sample: when it was taken [s, on any steady clock] and
  // its altitude [m, at the sensor's full resolution]. Returns the vertical
  // speed [m/s], positive when climbing. A sample that is not later than
  // the one before changes nothing.
  double Add(double seconds, double altitude);

 private:
  struct Filter {
    explicit Filter(double acceleration) : q(acceleration) {}
    void Start(double altitude);
    void Predict(double dt);
    void Update(double altitude);
    double q;                       // [m^2/s^3] spectral density of the driving acceleration
    double h = 0, v = 0;            // altitude [m], vertical speed [m/s]
    double p00 = 0, p01 = 0, p11 = 0;  // covariance
  };
  void Start(double seconds, double altitude);

  Filter m_quiet, m_quick;
  bool m_bStarted = false;
  double m_last = 0;   // [s] of the last sample
  double m_vario = 0;
};
