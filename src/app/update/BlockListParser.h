#pragma once

// Reads the hosts out of a block list's bytes on a thread of its own and hands
// them over in batches, so the one writing them into the database only binds
// and steps. Hosts, their order, the skipped lines and the progress steps are
// those of reading the lines one by one.

#include "BoundedQueue.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

#include <exception>
#include <future>
#include <thread>
#include <vector>

class BlockListParser {
public:
    // A multiple of the rows one insert statement takes, so whole batches
    // fill whole statements.
    static constexpr size_t DefaultBatchHosts = 4096;

    struct Batch {
        // Where a host stands: in the list, or in `copies` for a host that
        // reading the line rewrote.
        struct HostPlace {
            qsizetype start;
            qsizetype size;
            bool copied;
        };
        // A progress step to show once the hosts before `hostsBefore` are in.
        struct Step {
            size_t hostsBefore;
            qint64 line;
        };

        QByteArrayView host(size_t index) const
        {
            const HostPlace& place = hosts[index];
            return (place.copied ? QByteArrayView(copies) : list).sliced(place.start, place.size);
        }

        QByteArrayView list;
        std::vector<HostPlace> hosts;
        QByteArray copies;
        std::vector<Step> steps;
    };

    // Starts reading at once; the list's bytes must stay until the parser is gone.
    explicit BlockListParser(QByteArrayView list, size_t batchHosts = DefaultBatchHosts);
    // Stops the reading, if still going, and waits for the thread.
    ~BlockListParser();
    BlockListParser(const BlockListParser&) = delete;
    BlockListParser& operator=(const BlockListParser&) = delete;

    // The list's line count, waiting until it is counted; raises the
    // thread's failure.
    qint64 lineCount();
    // The next batch, in order; empty once every line is read. Raises the
    // failure the thread met, after the batches read before it.
    std::optional<Batch> next();
    // Lines that held text which is no host name; known once next() gave
    // its empty answer.
    qint64 skippedLines() const { return m_skipped; }

private:
    void read() noexcept;
    void readLines(qint64 lines);

    static constexpr size_t BatchesAhead = 4;
    const QByteArrayView m_list;
    const size_t m_batchHosts;
    std::promise<qint64> m_lineCountPromise;
    std::shared_future<qint64> m_lineCount = m_lineCountPromise.get_future().share();
    platform::BoundedQueue<Batch> m_batches{BatchesAhead};
    qint64 m_skipped = 0; // the thread's until it finishes the queue
    std::thread m_thread; // last: it starts once everything above exists
};
