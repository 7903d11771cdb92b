#include "market/NameLookup.h"

#include <cstdlib>
#include <cstring>

#include "foundation/MLocalSection.h"

namespace zephyr {

namespace {
constexpr int32_t kPowers[6] = {100000, 10000, 1000, 100, 10, 1};

// Chains of a full market are dozens of nodes long: two word compares beat a call of memcmp.
inline bool SameCode(const char* a, const char* b) {
    uint32_t a4, b4;
    uint16_t a2, b2;
    std::memcpy(&a4, a, 4);
    std::memcpy(&b4, b, 4);
    std::memcpy(&a2, a + 4, 2);
    std::memcpy(&b2, b + 4, 2);
    return a4 == b4 && a2 == b2;
}
}

NameLookup::NameLookup() : m_Nodes(nullptr), m_Capacity(0), m_Inserted(0) {
    for (int32_t& head : m_Heads) head = -1;
}

NameLookup::~NameLookup() { std::free(m_Nodes); }

uint32_t NameLookup::Bucket(const char* code) {
    int32_t sum = 0;
    for (int i = 0; i < 6; ++i) {
        sum += (static_cast<int32_t>(static_cast<signed char>(code[i])) - 48) * kPowers[i];
    }
    int32_t residue = sum % 65536;
    if (residue < 0) residue += 65536;
    return static_cast<uint32_t>(residue) % kBuckets;
}

void NameLookup::ResetLocked() {
    std::free(m_Nodes);
    m_Nodes = nullptr;
    m_Capacity = 0;
    m_Inserted = 0;
    for (int32_t& head : m_Heads) head = -1;
}

int32_t NameLookup::Build(uint16_t n) {
    MLocalSection guard(m_Lock);
    ResetLocked();
    Node* nodes = static_cast<Node*>(std::calloc(static_cast<size_t>(n) + 1, sizeof(Node)));
    if (nodes == nullptr) return -1;
    for (uint32_t i = 0; i <= n; ++i) nodes[i].next = -1;
    m_Nodes = nodes;
    m_Capacity = n;
    return 1;
}

int32_t NameLookup::Insert(uint32_t serial, const char* code) {
    if (code == nullptr) return -1;
    MLocalSection guard(m_Lock);
    if (serial >= m_Capacity) return -1;
    const uint32_t bucket = Bucket(code);
    std::memcpy(m_Nodes[serial].code, code, sizeof(Node::code));
    m_Nodes[serial].next = m_Heads[bucket];
    m_Heads[bucket] = static_cast<int32_t>(serial);
    ++m_Inserted;
    return 1;
}

int32_t NameLookup::Find(const char* code) {
    if (code == nullptr) return -2;
    MLocalSection guard(m_Lock);
    int32_t current = m_Heads[Bucket(code)];
    if (current < 0) return -2;
    // A chain can hold at most capacity distinct nodes; more visits mean it loops.
    for (uint32_t visited = 0; visited <= m_Capacity; ++visited) {
        if (current < 0 || static_cast<uint32_t>(current) >= m_Capacity) return -2;
        const Node& node = m_Nodes[current];
        if (SameCode(node.code, code)) return current;
        current = node.next;
    }
    return -1;
}

void NameLookup::Release() {
    MLocalSection guard(m_Lock);
    ResetLocked();
}

uint32_t NameLookup::InsertedCount() {
    MLocalSection guard(m_Lock);
    return m_Inserted;
}

uint16_t NameLookup::Capacity() {
    MLocalSection guard(m_Lock);
    return m_Capacity;
}

}  // namespace zephyr
