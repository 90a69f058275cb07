#include "flight/flight_reset.h"

#include "base/flight_values.h"
#include "display/map_borders.h"
#include "flight/vario.h"
#include "flight/wind.h"

void ResetFlight() {
  ResetFlightValues();
  ResetVario();
  ResetWindSectors();
  PublishMapBorders(nullptr);
}
