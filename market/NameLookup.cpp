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

NameLookup::NameLookup() : nodes_(nullptr), capacity_(0), inserted_(0) {
    for (int32_t& head : heads_) head = -1;
}

NameLookup::~NameLookup() { std::free(nodes_); }

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
    std::free(nodes_);
    nodes_ = nullptr;
    capacity_ = 0;
    inserted_ = 0;
    for (int32_t& head : heads_) head = -1;
}

int32_t NameLookup::Build(uint16_t n) {
    MLocalSection guard(lock_);
    ResetLocked();
    Node* nodes = static_cast<Node*>(std::calloc(static_cast<size_t>(n) + 1, sizeof(Node)));
    if (nodes == nullptr) return -1;
    for (uint32_t i = 0; i <= n; ++i) nodes[i].next = -1;
    nodes_ = nodes;
    capacity_ = n;
    return 1;
}

int32_t NameLookup::Insert(uint32_t serial, const char* code) {
    if (code == nullptr) return -1;
    MLocalSection guard(lock_);
    if (serial >= capacity_) return -1;
    const uint32_t bucket = Bucket(code);
    std::memcpy(nodes_[serial].code, code, sizeof(Node::code));
    nodes_[serial].next = heads_[bucket];
    heads_[bucket] = static_cast<int32_t>(serial);
    ++inserted_;
    return 1;
}

int32_t NameLookup::Find(const char* code) {
    if (code == nullptr) return -2;
    MLocalSection guard(lock_);
    int32_t current = heads_[Bucket(code)];
    if (current < 0) return -2;
    // A chain can hold at most capacity distinct nodes; more visits mean it loops.
    for (uint32_t visited = 0; visited <= capacity_; ++visited) {
        if (current < 0 || static_cast<uint32_t>(current) >= capacity_) return -2;
        const Node& node = nodes_[current];
        if (SameCode(node.code, code)) return current;
        current = node.next;
    }
    return -1;
}

void NameLookup::Release() {
    MLocalSection guard(lock_);
    ResetLocked();
}

uint32_t NameLookup::InsertedCount() {
    MLocalSection guard(lock_);
    return inserted_;
}

uint16_t NameLookup::Capacity() {
    MLocalSection guard(lock_);
    return capacity_;
}

}  // namespace zephyr
