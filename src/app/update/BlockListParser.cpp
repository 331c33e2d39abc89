#include "BlockListParser.h"

#include "BlockList.h"
#include "ProgressThrottle.h"
#include "SystemText.h"

#include <algorithm>
#include <utility>

BlockListParser::BlockListParser(QByteArrayView list, size_t batchHosts)
    : m_list(list), m_batchHosts(std::max<size_t>(1, batchHosts)), m_thread([this] { read(); })
{}

BlockListParser::~BlockListParser()
{
    m_batches.abandon();
    m_thread.join();
}

qint64 BlockListParser::lineCount()
{
    return m_lineCount.get();
}

std::optional<BlockListParser::Batch> BlockListParser::next()
{
    return m_batches.pop();
}

void BlockListParser::read() noexcept
{
    bool counted = false;
    try {
        const qint64 lines = systemtext::countLines(m_list);
        m_lineCountPromise.set_value(lines);
        counted = true;
        readLines(lines);
        m_batches.finish();
    } catch (...) {
        if (!counted)
            m_lineCountPromise.set_exception(std::current_exception());
        m_batches.finish(std::current_exception());
    }
}

void BlockListParser::readLines(qint64 lines)
{
    const auto freshBatch = [this] {
        Batch batch;
        batch.list = m_list;
        batch.hosts.reserve(m_batchHosts);
        return batch;
    };
    Batch batch = freshBatch();
    ProgressThrottle throttle(lines);
    QByteArray scratch;
    bool wanted = true;
    systemtext::forEachLine(m_list, [&](QByteArrayView line, qsizetype index) {
        if (!wanted)
            return;
        const auto entry = hostFromBlockLine(line, scratch);
        m_skipped += entry.skipped;
        if (entry.host.isEmpty())
            return;
        const bool inList = entry.host.data() >= m_list.data() &&
                            entry.host.data() + entry.host.size() <= m_list.data() + m_list.size();
        if (inList) {
            batch.hosts.push_back({entry.host.data() - m_list.data(), entry.host.size(), false});
        } else {
            batch.hosts.push_back({batch.copies.size(), entry.host.size(), true});
            batch.copies.append(entry.host);
        }
        if (throttle.shows(index))
            batch.steps.push_back({batch.hosts.size(), index});
        if (batch.hosts.size() == m_batchHosts) {
            wanted = m_batches.push(std::exchange(batch, freshBatch()));
        }
    });
    if (wanted && !batch.hosts.empty())
        m_batches.push(std::move(batch));
}
