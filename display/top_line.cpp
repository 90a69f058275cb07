#include "display/top_line.h"

#include "display/traffic_texts.h"

TopLine DecideTopLine(const std::string& fieldText, const TrafficAlarm& traffic) {
  if (traffic.nLevel > 0) return {TrafficAlarmText(traffic), true, TopLineOwner::kTrafficAlarm};
  return {fieldText, false, TopLineOwner::kField};
}

void ApplyTopLine(FieldTexts& texts, const TrafficAlarm& traffic) {
  TopLine line = DecideTopLine(texts.strTopField, traffic);
  texts.strField1 = std::move(line.strText);
  texts.bTopInverse = line.bInverse;
}
