// The name quick-lookup table: a chained hash from a 6-byte code to its code table serial,
// 1000 buckets, one node per serial. A new node goes to the front of its chain. Every
// operation takes the table's own lock.
#pragma once
#include <cstdint>

#include "foundation/MCriticalSection.h"

namespace zephyr {

class NameLookup {
public:
    static constexpr uint32_t kBuckets = 1000;

    NameLookup();
    ~NameLookup();
    NameLookup(const NameLookup&) = delete;
    NameLookup& operator=(const NameLookup&) = delete;

    // Bucket of a code: sum of (c[i] - '0') * 10^(5-i) over the 6 bytes taken as signed chars,
    // reduced to its non-negative residue modulo 65536, then modulo 1000.
    static uint32_t Bucket(const char* code);

    // Discards any previous content and makes room for serials 0..n-1 (all chains empty).
    // 1, or -1 when the nodes cannot be allocated (the table is then empty).
    int32_t Build(uint16_t n);
    // 1, or -1 when serial is not below the node capacity (or code is null).
    int32_t Insert(uint32_t serial, const char* code);
    // The serial stored for code; -2 when absent; -1 when its chain loops (more non-matching
    // nodes than the table can hold).
    int32_t Find(const char* code);
    // Frees the nodes; capacity 0.
    void Release();

    uint32_t InsertedCount();
    uint16_t Capacity();

private:
    // Frees the nodes and empties every chain; the caller holds the lock.
    void ResetLocked();

    struct Node {
        char code[6];
        int32_t next;
    };

    MCriticalSection m_Lock;
    int32_t m_Heads[kBuckets];
    Node* m_Nodes;
    uint16_t m_Capacity;
    uint32_t m_Inserted;
};

}  // namespace zephyr
