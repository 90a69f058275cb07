// The airspace warning's beeps, handed from the acquisition thread to the
// audio thread: each request is one set of beeps, asked for when a warning
// starts and when the pilot enters its airspace. The audio thread plays a
// request it sees while "Sound" is checked and no traffic alarm sounds.
#pragma once

// Counts one request and wakes the audio thread (it sleeps with the fast
// vario's waiters while quiet).
void RequestAirspaceBeeps();
// The requests so far: a count that has grown means new beeps.
unsigned long AirspaceBeepRequests();
