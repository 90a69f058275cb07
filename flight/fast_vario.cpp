#include "flight/fast_vario.h"

#include <algorithm>
#include <cmath>

#include "flight/fast_vario_table.h"

using namespace fast_vario;

namespace {
constexpr double kMeasurementVariance = kAltitudeNoise * kAltitudeNoise;  // [m^2]
}  // namespace

FastVario::FastVario() : m_quiet(kQuietAcceleration), m_quick(kQuickAcceleration) {}

void FastVario::Filter::Start(double altitude) {
  // The altitude is known as well as one sample tells it; the vertical
  // speed is taken as 0 with the uncertainty a filter that has flown level
  // for a while has (continuous-time steady state, the sample noise spread
  // over the sampling interval), so the value moves off 0 like the response
  // to a step, with no spike from two noisy samples.
  const double r = kMeasurementVariance * kSampleInterval;
  h = altitude;
  v = 0;
  p00 = kMeasurementVariance;
  p01 = 0;
  p11 = std::sqrt(2.0) * std::pow(q, 0.75) * std::pow(r, 0.25);
}

void FastVario::Filter::Predict(double dt) {
  // Constant vertical speed between samples, disturbed by white-noise
  // acceleration.
  h += v * dt;
  p00 += dt * (2 * p01 + dt * p11) + q * dt * dt * dt / 3;
  p01 += dt * p11 + q * dt * dt / 2;
  p11 += q * dt;
}

void FastVario::Filter::Update(double altitude) {
  const double s = p00 + kMeasurementVariance;
  const double k0 = p00 / s, k1 = p01 / s;
  const double innovation = altitude - h;
  h += k0 * innovation;
  v += k1 * innovation;
  p11 -= k1 * p01;
  p00 *= 1 - k0;
  p01 *= 1 - k0;
}

void FastVario::Start(double seconds, double altitude) {
  m_quiet.Start(altitude);
  m_quick.Start(altitude);
  m_bStarted = true;
  m_last = seconds;
  m_vario = 0;
}

double FastVario::Add(double seconds, double altitude) {
  if (!std::isfinite(seconds) || !std::isfinite(altitude)) return m_vario;
  if (!m_bStarted || seconds - m_last > kRestartGap) {
    Start(seconds, altitude);
    return m_vario;
  }
  const double dt = seconds - m_last;
  if (dt <= 0) return m_vario;
  m_quiet.Predict(dt);
  m_quick.Predict(dt);
  if (std::fabs(altitude - m_quick.h) > kMaxJump) {
    Start(seconds, altitude);
    return m_vario;
  }
  m_quiet.Update(altitude);
  m_quick.Update(altitude);
  m_last = seconds;
  const double parting = std::fabs(m_quick.v - m_quiet.v);
  const double weight = std::clamp((parting - kBlendFrom) / (kBlendTo - kBlendFrom), 0.0, 1.0);
  m_vario = m_quiet.v + weight * (m_quick.v - m_quiet.v);
  return m_vario;
}
