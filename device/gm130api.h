/* The handheld's sensor library: barometer, compass with G-sensor and
 * battery gauge. Nine functions, none takes a handle. Every call goes to
 * the sensor back end installed with SetSensorBackend (sensor_backend.h);
 * without one, no device opens.
 *
 * Open and calibration results: non-zero means yes.
 */
#ifndef FLIGHT_DEVICE_GM130API_H
#define FLIGHT_DEVICE_GM130API_H

#ifdef __cplusplus
extern "C" {
#endif

int barOpenDevice(void);
int barGetAltitude(void);                 /* whole metres */

int compOpenDevice(void);
int compCalibrateOK(void);
int compGetDirection(void);               /* whole degrees */
int compGetGSensorData(float* first, float* second, float* third);

int pwrOpenDevice(void);
int pwrGetLevel(void);
int pwrCloseDevice(void);

#ifdef __cplusplus
}
#endif

#endif
