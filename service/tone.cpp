#include "tone.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kRate = 22050;
constexpr double kNoteSeconds = 0.5;
constexpr double kRestSeconds = 0.5;
constexpr double kVolume = 0.3;

void appendLe16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void appendLe32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray wavHeader(quint32 dataBytes)
{
    QByteArray out;
    out += "RIFF";
    appendLe32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    appendLe32(out, 16);
    appendLe16(out, 1); // PCM
    appendLe16(out, 1); // mono
    appendLe32(out, kRate);
    appendLe32(out, kRate * 2);
    appendLe16(out, 2);
    appendLe16(out, 16);
    out += "data";
    appendLe32(out, dataBytes);
    return out;
}

// Soft start and end of a note, so the notes and the loop do not click.
double envelope(int i, int length)
{
    const int fade = kRate / 50;
    return std::min({1.0, double(i) / fade, double(length - i) / fade});
}

} // namespace

QByteArray toneWav(double rootHz)
{
    const double ratios[] = {1.0, 5.0 / 4.0, 3.0 / 2.0};
    const int noteLength = int(kRate * kNoteSeconds);
    const int restLength = int(kRate * kRestSeconds);
    const quint32 dataBytes = quint32((noteLength * 3 + restLength) * 2);
    QByteArray out = wavHeader(dataBytes);
    out.reserve(out.size() + int(dataBytes));
    for (const double ratio : ratios) {
        const double step = 2.0 * M_PI * rootHz * ratio / kRate;
        for (int i = 0; i < noteLength; ++i)
            appendLe16(out, quint16(qint16(std::lround(32767.0 * kVolume * envelope(i, noteLength) * std::sin(step * i)))));
    }
    out.append(QByteArray(restLength * 2, '\0'));
    return out;
}

namespace {

constexpr int kRoots = 7;

int rootIndex(int station) { return ((station - 1) % kRoots + kRoots) % kRoots; }

} // namespace

double stationRootHz(int station)
{
    static const int semitones[kRoots] = {0, 2, 4, 5, 7, 9, 11};
    return 220.0 * std::pow(2.0, semitones[rootIndex(station)] / 12.0);
}

QByteArray stationWav(int station)
{
    static QByteArray made[kRoots];
    QByteArray &wav = made[rootIndex(station)];
    if (wav.isEmpty())
        wav = toneWav(stationRootHz(station));
    return wav;
}
