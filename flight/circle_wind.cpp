#include "flight/circle_wind.h"

#include <cmath>

#include "base/angles.h"

namespace {

constexpr double kKmhPerMs = 3.6;

}  // namespace

CircleWindEstimator::Outcome CircleWindEstimator::AddFix(double course, double speed, int seconds) {
  const double r = DegToRad(course);
  Point p{speed * std::cos(r), speed * std::sin(r), 0, seconds};
  if (m_nCount == 0) {
    m_nFirst = 0, m_nCount = 1;
    At(0) = p;
    m_dLastCourse = course;
    return Outcome::kTurning;
  }

  // The turn goes on while each step turns the same way, by at least
  // kMinStepTurn, at most kMaxStepSeconds after the one before; anything
  // else begins a new turn.
  const double step = std::remainder(course - m_dLastCourse, 360.0);
  const int sign = step >= kMinStepTurn ? 1 : step <= -kMinStepTurn ? -1 : 0;
  const int gap = seconds - At(m_nCount - 1).seconds;
  m_dLastCourse = course;
  if (gap < 1 || gap > kMaxStepSeconds || sign == 0) {
    // Straight flight, or a gap: this fix alone, not turning yet.
    m_nTurnSign = 0;
    Restart();
    At(0) = p;
    return Outcome::kTurning;
  }
  if (sign != m_nTurnSign) {
    // A turn begins, or reverses, at the fix before this one.
    m_nTurnSign = sign;
    Restart();
  }
  p.turn = At(m_nCount - 1).turn + std::fabs(step);
  At(m_nCount++) = p;

  // A full circle within a minute.
  while (p.seconds - At(0).seconds > kMaxCircleSeconds) DropFirst();
  if (p.turn - At(0).turn < 360) return Outcome::kTurning;
  const Outcome outcome = FitCircle();
  Restart();  // the next circle begins where this one ended
  return outcome;
}

// Least squares on the algebraic form of a circle whose squared radius may
// drift linearly in time (a pilot who slowly speeds up or slows down draws
// a spiral, not a circle):
//   n^2 + e^2 = A n + B e + C + D t,
// centre (A/2, B/2), squared airspeed C + (A/2)^2 + (B/2)^2 + D t. Linear in
// A, B, C, D, so one small system solves it, in constant time. Taken about
// the means of n, e and t, C separates and three unknowns remain.
CircleWindEstimator::Outcome CircleWindEstimator::FitCircle() {
  const int n = m_nCount;
  if (n < kMinPoints) return Outcome::kTooFewPoints;

  double mn = 0, me = 0, mt = 0;
  for (int i = 0; i < n; ++i) {
    const Point& q = At(i);
    mn += q.north, me += q.east, mt += q.seconds - At(0).seconds;
  }
  mn /= n, me /= n, mt /= n;
  const auto time = [&](int i) { return At(i).seconds - At(0).seconds - mt; };

  double snn = 0, sne = 0, snt = 0, see = 0, set = 0, stt = 0, szn = 0, sze = 0, szt = 0, mz = 0;
  for (int i = 0; i < n; ++i) {
    const double u = At(i).north - mn, v = At(i).east - me, t = time(i);
    const double z = u * u + v * v;
    snn += u * u, sne += u * v, snt += u * t, see += v * v, set += v * t, stt += t * t;
    szn += z * u, sze += z * v, szt += z * t, mz += z;
  }
  mz /= n;

  // Cramer's rule on the symmetric 3 x 3 system; fixes on a line (or all
  // alike) leave it singular.
  const double c11 = see * stt - set * set, c12 = snt * set - sne * stt, c13 = sne * set - see * snt;
  const double det = snn * c11 + sne * c12 + snt * c13;
  if (!(det > 1e-9 * snn * see * stt)) return Outcome::kPoorFit;
  const double c22 = snn * stt - snt * snt, c23 = sne * snt - snn * set, c33 = snn * see - sne * sne;
  const double a = (c11 * szn + c12 * sze + c13 * szt) / det / 2;
  const double b = (c12 * szn + c22 * sze + c23 * szt) / det / 2;
  const double d = (c13 * szn + c23 * sze + c33 * szt) / det;
  const double r2 = mz + a * a + b * b;  // squared airspeed at the mean time
  const auto airspeed = [&](int i) { return std::sqrt(std::fmax(r2 + d * time(i), 0.0)); };

  const double first = airspeed(0), last = airspeed(n - 1);
  const double slowest = kMinAirspeed * kKmhPerMs;
  if (!(first >= slowest && last >= slowest)) return Outcome::kPoorFit;

  // Seen from the centre, the fixes are the headings flown: a steady turn
  // spreads them evenly round the circle, none far from the one before.
  const double stepCos = std::cos(DegToRad(kMaxHeadingStep));
  double squares = 0;
  double un = At(0).north - mn - a, ue = At(0).east - me - b;
  for (int i = 0; i < n; ++i) {
    const double vn = At(i).north - mn - a, ve = At(i).east - me - b;
    const double radius = std::hypot(vn, ve);
    if (!(un * vn + ue * ve >= stepCos * std::hypot(un, ue) * radius)) return Outcome::kTooFewPoints;
    const double off = radius - airspeed(i);
    squares += off * off;
    un = vn, ue = ve;
  }
  if (std::fabs(last - first) > kMaxAirspeedChange * kKmhPerMs) return Outcome::kAirspeedChanged;
  const double residual = std::sqrt(squares / n) / kKmhPerMs;  // [m/s]
  if (!(residual <= kMaxResidual)) return Outcome::kPoorFit;

  // The estimate: every circle so far, the older ones aged, each weighed by
  // how closely its fixes lie on it.
  const double weight = 1 / (residual * residual + kResidualFloor * kResidualFloor);
  m_dWeight = kCircleMemory * m_dWeight + weight;
  m_dNorth = kCircleMemory * m_dNorth + weight * (mn + a);
  m_dEast = kCircleMemory * m_dEast + weight * (me + b);
  const double north = m_dNorth / m_dWeight, east = m_dEast / m_dWeight;
  // The centre is where the air carries the glider; the pilot reads where
  // the wind comes from.
  m_result.dFromDir = std::fmod(RadToDeg(std::atan2(east, north)) + 540, 360);
  m_result.dSpeed = std::hypot(north, east) / kKmhPerMs;
  m_result.bFitted = true;
  return Outcome::kFitted;
}
