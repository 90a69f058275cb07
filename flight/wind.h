// Wind from GPS ground velocity alone. The last ground velocity flown in
// each of four narrow course sectors (around north, east, south and west) is
// remembered; half the sum of the four is the wind. A full circle fills all
// four sectors, two opposite legs fill two.
#pragma once

// The remembered velocities [km/h], by sector: 0 north (course 0 to below
// 20), 1 east (80..100), 2 south (170..190), 3 west (260..280), the last
// three open at both ends. Kept for the life of the process; nothing ages
// them, and an empty sector counts as (0, 0).
inline constexpr int kWindSectors = 4;
extern double g_dWindSectorNorth[kWindSectors];
extern double g_dWindSectorEast[kWindSectors];

// One call per accepted fix: course over ground [deg], ground speed [km/h].
// Updates g_dWindDir (toward which the air moves, clockwise from north) and
// g_dWindSpeed [m/s].
void EstimateWind(double course, double speed);

// Empties the four sectors (a new process, a replay, a test).
void ResetWindSectors();
