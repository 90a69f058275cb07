// Wind from GPS ground velocity alone: the last velocity flown in each of
// four course sectors, half their sum is the wind (g_dWindDir, g_dWindSpeed).
#pragma once

// One call per accepted fix: course over ground [deg], ground speed [km/h].
void EstimateWind(double course, double speed);
