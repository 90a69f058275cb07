#include "display/top_line.h"

#include <atomic>

#include "display/traffic_texts.h"

namespace {
std::atomic<std::size_t> g_nTopLineCharacters{kTopLineCharacters};
}  // namespace

TopLine DecideTopLine(const std::string& fieldText, const TrafficAlarm& traffic, const std::string& airspaceWarning) {
  if (traffic.nLevel > 0) return {TrafficAlarmText(traffic), true, TopLineOwner::kTrafficAlarm};
  if (!airspaceWarning.empty()) return {airspaceWarning, true, TopLineOwner::kAirspaceWarning};
  return {fieldText, false, TopLineOwner::kField};
}

void ApplyTopLine(FieldTexts& texts, const TrafficAlarm& traffic, const std::string& airspaceWarning) {
  TopLine line = DecideTopLine(texts.strTopField, traffic, airspaceWarning);
  texts.strField1 = std::move(line.strText);
  texts.bTopInverse = line.bInverse;
  texts.topOwner = line.owner;
}

void SetTopLineCharacters(std::size_t characters) { g_nTopLineCharacters = characters; }

std::size_t TopLineCharacters() { return g_nTopLineCharacters; }
