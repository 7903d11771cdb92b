// A host's own copy of the market, kept from what the driver gives: a full pull installs it, and
// every push afterwards is applied to it, record by record, as a host quote system would. It can
// be compared with a fresh pull, and its digest checked (MarketDigest.h).
//
// Thread-safe: pushes arrive on the driver's threads while the host pulls on its own. From a
// reset (and from construction) until a pulled image is installed, pushes are queued and applied
// in arrival order right after the image, so a pull that overlaps pushes still ends up current.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/MarketImage.h"
#include "host/PushDecoder.h"

namespace zephyr::hostkit {

struct ReplicaCounters {
    uint64_t pushes = 0;           // pushes applied or queued
    uint64_t frames[6] = {};       // frames by push type
    uint64_t snapshot_records = 0;
    uint64_t codes_updated = 0;    // distinct codes that received at least one pushed snapshot
    uint64_t index_records = 0;
    uint64_t status_records = 0;
    uint64_t bad_pushes = 0;       // pushes not fully understood
    uint64_t added_records = 0;    // pushed records whose code the replica did not hold
    uint64_t installs = 0;
    uint64_t resets = 0;
    uint64_t changes = 0;          // pushes, market volumes and installs that changed the image
};

struct Difference {
    std::string where;   // e.g. "snapshots[12] 00700"
    std::string detail;  // what differs
};

enum class CompareMode {
    kExact,      // the driver was quiet: everything must be equal
    kWitnessed,  // pushes kept coming: a pulled record may also equal a state that was pushed
                 // while the witness was open, and the pulled market time may lag (but not
                 // fall behind what the replica held when the witness opened)
};

// Whether the driver pushes every change of its market time.
enum class TimeRule {
    kPushed,     // inside its working window: the market header carries it once a second
    kMayLead,    // outside it the level-2 feed still moves the time and nothing pushes it: the
                 // pulled time may be ahead of the replica's, never behind it
};

class MarketReplica {
public:
    MarketReplica();

    // Drops the image (remembering its digest) and queues pushes until the next Install.
    void Reset();
    // Installs a pulled image, then applies the pushes queued since the last Reset. Refused
    // (false) when a Reset came after `generation` was read (the pull may mix two markets) or
    // pushes were lost while queueing (the queue overflowed): pull and install again.
    bool Install(MarketImage image, uint64_t generation);
    bool Loaded() const;
    // Read before a pull starts; every Reset moves it on.
    uint64_t Generation() const;

    // Applies (or queues) one push. False, with the reason, when it was not fully understood;
    // the frames before the fault are applied all the same.
    bool ApplyPush(const char* data, size_t length, std::string* error);
    // The market-wide traded volume the driver keeps in index entry "999999" is not pushed;
    // hosts read it from the driver's status record (offset 34).
    void ApplyMarketVolume(uint64_t volume);

    MarketImage Image() const;
    uint32_t MarketTime() const;
    // Digest bytes of the image dropped by the last Reset (empty when none), and whether they
    // are the ones the driver's digest was computed over (false after a reset that came while
    // no image was held).
    std::string PreviousDigest() const;
    bool PreviousDigestKnown() const;
    ReplicaCounters Counters() const;

    // While open, every record and market time the replica receives is remembered.
    void OpenWitness();
    void CloseWitness();
    // Differences between the replica and a pulled image (ReplicaCompare.cpp) (at most `limit` listed; the result
    // also reports how many there were in total through `total`).
    std::vector<Difference> Compare(const MarketImage& pulled, CompareMode mode, size_t limit,
                                    size_t* total, TimeRule time_rule = TimeRule::kPushed) const;

private:
    using Index = std::unordered_map<std::string, size_t>;

    void ApplyLocked(const char* data, size_t length, std::string* error, bool* ok);
    // True when the record changed the table.
    bool PutKeyed(Table table, Index* index, const char* record, uint8_t witness_tag);
    void RebuildIndexes();
    void Witness(uint8_t tag, const char* record, size_t size);
    // The push type a table's records arrive by, 0xFF for tables that are not pushed.
    static uint8_t WitnessTag(Table table);

    mutable std::mutex m_Mutex;
    MarketImage m_Image;
    bool m_Loaded = false;
    uint64_t m_Generation = 0;
    std::vector<std::string> m_Queue;
    size_t m_QueuedBytes = 0;
    bool m_QueueOverflowed = false;
    std::string m_PreviousDigest;
    bool m_PreviousDigestKnown = true;
    Index m_SnapshotIndex, m_IndexIndex, m_StatusIndex;
    std::unordered_set<std::string> m_UpdatedCodes;  // codes of pushed snapshots, whole session
    bool m_WitnessOpen = false;
    uint32_t m_WitnessTime = 0;  // the replica's market time when the witness opened
    std::unordered_set<std::string> m_Witnessed;
    DecodedPush m_Decoded;
    ReplicaCounters m_Counters;
};

}  // namespace zephyr::hostkit
