#include "flight/vario.h"

#include <cmath>

double g_dVarioAlt[kVarioSamples] = {};
double g_dVarioTime[kVarioSamples] = {};
int g_nVarioIndex = 0;
int g_nVarioCount = 0;

double ComputeVario(double altitude, int elapsed) {
  // The index moves before the store: the first sample lands in slot 1 and
  // the tenth in slot 0.
  ++g_nVarioIndex;
  if (++g_nVarioCount > kVarioSamples) g_nVarioCount = kVarioSamples;
  if (g_nVarioIndex > kVarioSamples - 1) g_nVarioIndex = 0;
  g_dVarioAlt[g_nVarioIndex] = altitude;
  g_dVarioTime[g_nVarioIndex] = elapsed;

  double st = 0, sh = 0, sth = 0, stt = 0;
  for (int i = 0; i < kVarioSamples; ++i) {
    const double t = g_dVarioTime[i];
    const double h = g_dVarioAlt[i];
    st += t;
    sh += h;
    sth += h * t;
    stt += t * t;
  }
  // The ordinary least-squares slope (n*Sth - St*Sh) / (n*Stt - St*St)
  // with both parts negated, always over all ten slots.
  const double d = st * st - 10 * stt;
  double v = std::fabs(d) > 1e-7 ? (st * sh - 10 * sth) / d : kVarioNoSpread;
  // Level flight (or no barometer) gives 0 over a negative denominator,
  // which is -0: the pilot must read "Var 0.0", not "Var -0.0".
  if (v == 0) v = 0;
  return g_nVarioCount < kVarioSamples ? 0.0 : v;
}

void ResetVario() {
  for (int i = 0; i < kVarioSamples; ++i) g_dVarioAlt[i] = g_dVarioTime[i] = 0;
  g_nVarioIndex = 0;
  g_nVarioCount = 0;
}
