#pragma once

#include "guide.h"

#include <QList>
#include <QString>

#include <memory>

// Limits that keep a hostile or broken guide from taking the machine.
struct GuideLimits
{
    // Guide XML larger than this (as read, or as inflated) is refused.
    qint64 maxXmlBytes = qint64(2) * 1024 * 1024 * 1024;
    // A single text, tag or comment longer than this is refused: the XML
    // reader would have to hold it whole.
    qint64 maxTokenBytes = 16 * 1024 * 1024;
    // Programmes kept per channel and in all; further ones are dropped.
    int maxProgrammesPerChannel = 5000;
    int maxProgrammes = 2000000;
};

// Reads an XMLTV guide as it arrives, in pieces of any size, and keeps the
// programmes of the wanted channels from six hours before `now` to seven
// days after it (widened by the largest tvg-shift of the entries).
//
// Programmes of other channels are recognised by their channel attribute
// and passed over without being handed to the XML reader, which is what
// makes a guide of a gigabyte quick to read; the rest of the document goes
// through QXmlStreamReader, and any error it finds fails the whole guide.
// (A fault inside a passed-over programme is not looked for.)
//
// Per programme: one with a start or stop time that does not parse, a stop
// not after its start, or no title is dropped; one without a stop ends when
// the next one starts; where programmes overlap, the earlier one ends when
// the later one starts, and of two with the same start the first is kept.
// A channel element that comes after its programmes matches them by tvg-id
// only. Guides in UTF-16 or UTF-32 are refused.
class XmltvParser
{
public:
    XmltvParser(const GuideWanted &wanted, qint64 now, const GuideLimits &limits = {});
    ~XmltvParser();
    XmltvParser(const XmltvParser &) = delete;
    XmltvParser &operator=(const XmltvParser &) = delete;

    // False once the guide has failed; feeding more then does nothing.
    bool feed(const char *data, qsizetype size);
    // Ends the input. True when the document was whole and well formed and
    // holds at least one programme of a wanted channel.
    bool finish();
    QString error() const;

    // After a successful finish(): the kept channels, each with at least one
    // programme, in the order the guide first named them.
    QList<GuideChannel> takeChannels();

private:
    struct State;
    std::unique_ptr<State> d;
};
