#pragma once

#include <QString>

#include <functional>
#include <memory>

// Inflates a gzip file piece by piece as it is read, handing the output on
// in pieces of at most 256 KiB, so that neither side is ever held whole.
// Several gzip members one after the other are read as one file; bytes after
// the last member that do not start another one are ignored.
class GzipInflater
{
public:
    // `maxOutput` caps the inflated size: a file that would inflate to more
    // (a gzip bomb) fails as soon as it passes the cap.
    explicit GzipInflater(qint64 maxOutput);
    ~GzipInflater();
    GzipInflater(const GzipInflater &) = delete;
    GzipInflater &operator=(const GzipInflater &) = delete;

    // The sink gets each piece of output; it returns false to stop. Returns
    // false on corrupt input, past the cap, or when the sink stopped.
    using Sink = std::function<bool(const char *data, qsizetype size)>;
    bool feed(const char *data, qsizetype size, const Sink &sink);
    // Whether the input so far ends a whole gzip member: false for a
    // truncated file.
    bool isComplete() const;
    QString error() const;

    // Whether the bytes begin like a gzip file.
    static bool looksLikeGzip(const char *data, qsizetype size);

private:
    struct State;
    std::unique_ptr<State> d;
};
