#pragma once

#include <QtGlobal>

// What one host of the service allows a client. The defaults keep a host
// small and answering when local programs flood it, hold connections open or
// never read.
struct ServiceLimits
{
    qsizetype requestLine = 8 * 1024; // method, target and version (answered 414)
    qsizetype headerBytes = 64 * 1024; // all header lines together (answered 431)
    int headerCount = 100; // (answered 431)
    qint64 body = 1024 * 1024; // declared body length (answered 413)
    // A request must arrive whole within this time of the connection being
    // ready for it; unsent output that the client does not take for this long
    // closes the connection too.
    int timeoutMs = 10 * 1000;
    // Open connections of one host; a new one closes the one that has been
    // quiet the longest.
    int connections = 512;
    // No further answer (and no further piece of a streamed body) is made while
    // this much output waits for the client to read it.
    qsizetype unsentOutput = 64 * 1024;

    // Fewer connections where the process may open only `descriptors` files
    // in all, shared by `hosts` hosts, with some left for everything else.
    static ServiceLimits withinDescriptors(qint64 descriptors, int hosts)
    {
        constexpr qint64 kReserved = 64;
        constexpr qint64 kFewest = 16;
        ServiceLimits limits;
        const qint64 share = (descriptors - kReserved) / qMax(1, hosts);
        limits.connections = int(qBound(kFewest, share, qint64(limits.connections)));
        return limits;
    }
};
