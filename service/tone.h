#pragma once

#include <QByteArray>

// A WAV file (16-bit mono PCM, 22050 Hz) of about two seconds that loops
// smoothly: three notes of a major chord on the given root, each faded in and
// out, then a short rest. Every station gets its own root.
QByteArray toneWav(double rootHz);

// The root of the n-th station (n from 1): steps through an octave above A3.
double stationRootHz(int station);

// toneWav(stationRootHz(station)), made once per root and kept: a client that
// asks for the sound again and again costs no new sound.
QByteArray stationWav(int station);
