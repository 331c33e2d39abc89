#pragma once

// The set of host names that a hosts text already blocks.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

// The block line of a host is this prefix followed by the host.
inline constexpr QStringView BlockLinePrefix = u"127.0.0.1 ";
// The same prefix in the 8-bit form.
inline constexpr QByteArrayView BlockLinePrefixBytes = "127.0.0.1 ";

// The host names that a hosts text already blocks, gathered in one pass so
// that testing many hosts costs one hash lookup each. Hosts are kept in the
// 8-bit form the file holds and compared, ignoring case, as the characters
// they decode to. Holds views: bytes given and hosts inserted as bytes must
// outlive the set; texts given as UTF-16 are kept by the set itself. A large
// text is gathered by several threads at once.
class PresentHosts {
public:
    // A host's key (the host without surrounding blanks), its hash, and
    // whether it is plain ASCII, which compares fastest.
    struct Key {
        QByteArrayView text;
        quint64 hash = 0;
        bool ascii = true;
    };

    explicit PresentHosts(QByteArrayView bytes);
    // The set points into the bytes, so bytes about to go are refused.
    explicit PresentHosts(QByteArray&& bytes) = delete;
    explicit PresentHosts(QStringView text);

    static Key keyOf(QByteArrayView host);
    // The same for a host known to be a plain name (systemtext::isPlainName).
    static Key keyOfPlainName(QByteArrayView host);
    // The key's text alone (no hash).
    static QByteArrayView keyText(QByteArrayView host);

    bool contains(QByteArrayView host) const { return contains(keyOf(host)); }
    bool contains(QStringView host) const;
    bool contains(const Key& key) const;
    // Records the host; false when it was already present (or empty).
    bool insert(QByteArrayView host) { return insert(keyOf(host)); }
    bool insert(QStringView host);
    bool insert(const Key& key);
    // Asks the memory for the key's place ahead of a lookup soon after, so
    // that lookups in a row do not each wait for it.
    void prefetch(const Key& key) const;
    // Makes room for that many more hosts at once.
    void reserve(qsizetype additional);
    qsizetype size() const { return m_count; }

    // For threads that share the hosts by shard: the number of shards, a
    // key's shard, and an insert that touches only the key's shard, so that
    // threads owning distinct shards may insert at once (and look up keys of
    // their own shards). size() counts those inserts once countShards() ran.
    static constexpr size_t shardCount() { return ShardCount; }
    static size_t shardOf(const Key& key) { return shardOf(quint32(key.hash >> 32)); }
    bool insertIntoShard(const Key& key);
    void countShards();

private:
    // A recorded key. Open addressing with linear probing; an empty slot has no data.
    struct Slot {
        const char* data = nullptr;
        quint32 size = 0;  // the high bit marks a key beyond ASCII
        quint32 check = 0; // the hash's high half: shard and slot index, compared before the bytes
    };
    static constexpr quint32 BeyondAscii = 0x80000000u;

    // The keys are spread over shards by the top bits of their check: threads
    // gathering a large text each fill shards of their own, and a shard stays
    // small enough for the processor's caches while it fills.
    static constexpr int ShardBits = 8;
    static constexpr size_t ShardCount = size_t(1) << ShardBits;
    struct Shard {
        std::vector<Slot> table;
        qsizetype count = 0;
    };
    // The keys of a part of a text, in text order, and how many of them
    // fall in each shard.
    struct GatheredKeys {
        std::vector<Slot> keys;
        std::vector<qsizetype> shardSizes;
    };

    static Slot slotOf(const Key& key);
    static size_t shardOf(quint32 check) { return check >> (32 - ShardBits); }
    const Shard& shardFor(const Slot& slot) const { return m_shards[shardOf(slot.check)]; }
    Shard& shardFor(const Slot& slot) { return m_shards[shardOf(slot.check)]; }

    static bool sameKey(const Slot& a, const Slot& b);
    void prefetchSlot(const Slot& key) const;
    // The slot of the shard that holds the key, or the empty slot where it belongs.
    static size_t placeOf(const Shard& shard, const Slot& key);
    // Records the key in its shard (which has room); false when it was there.
    static bool insertInto(Shard& shard, const Slot& key);
    static void reserveIn(Shard& shard, qsizetype additional);
    static void rehash(Shard& shard, size_t capacity);
    void insertAll(QByteArrayView bytes);
    void insertGathered(const std::vector<GatheredKeys>& gathered, qsizetype roundsLeft);
    static GatheredKeys gatherKeys(QByteArrayView lines);
    // Appends the keys of one line: its names, and all of them as written.
    static void addLineKeys(QByteArrayView line, std::vector<Slot>& keys);

    std::vector<Shard> m_shards{ShardCount};
    qsizetype m_count = 0;
    std::vector<QByteArray> m_kept; // 8-bit forms of what was given as UTF-16
};
