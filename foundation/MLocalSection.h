// Holds one MCriticalSection locked for the extent of a scope (released on every exit,
// exceptions included).
#pragma once
#include "foundation/MCriticalSection.h"

namespace zephyr {

class MLocalSection {
public:
    MLocalSection() : m_Section(nullptr) {}
    // Holds and locks section; a null section holds nothing.
    explicit MLocalSection(MCriticalSection* section);
    explicit MLocalSection(MCriticalSection& section) : MLocalSection(&section) {}
    ~MLocalSection() { UnLock(); }
    MLocalSection(const MLocalSection&) = delete;
    MLocalSection& operator=(const MLocalSection&) = delete;

    // Holds section and locks it (a null section: holds nothing, locks nothing).
    // Raises MException "<MLocalSection>重复Attch一个Section对象" when a section is already held.
    void Attch(MCriticalSection* section);
    // Unlocks and releases the section held, if any.
    void UnLock();

private:
    MCriticalSection* m_Section;
};

}  // namespace zephyr
