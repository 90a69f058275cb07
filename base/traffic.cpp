#include "base/traffic.h"

#include <atomic>
#include <cmath>
#include <mutex>

#include "base/flight_values.h"

namespace {
std::mutex g_trafficMutex;
TrafficPicture g_traffic;
std::atomic<int> g_nTrafficAlarmLevel{0};
}  // namespace

std::optional<double> TrafficTarget::Distance() const {
  if (!dNorth) return std::nullopt;
  if (!dEast) return std::fabs(*dNorth);
  return std::hypot(*dNorth, *dEast);
}

const TrafficTarget* TrafficPicture::Nearest() const {
  const TrafficTarget* nearest = nullptr;
  for (const TrafficTarget& target : targets) {
    const std::optional<double> distance = target.Distance();
    if (distance && (nearest == nullptr || *distance < *nearest->Distance())) nearest = &target;
  }
  return nearest;
}

void PublishTraffic(const TrafficPicture& picture) {
  {
    std::lock_guard<std::mutex> lock(g_trafficMutex);
    g_traffic = picture;
  }
  if (g_nTrafficAlarmLevel.exchange(picture.alarm.nLevel) != picture.alarm.nLevel) WakeFastVarioWaiters();
}

TrafficPicture LatestTraffic() {
  std::lock_guard<std::mutex> lock(g_trafficMutex);
  return g_traffic;
}

int TrafficAlarmLevel() { return g_nTrafficAlarmLevel.load(); }
