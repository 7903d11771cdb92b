#include "foundation/MLocalSection.h"

#include "foundation/MException.h"

namespace zephyr {

MLocalSection::MLocalSection(MCriticalSection* section) : m_Section(section) {
    if (m_Section != nullptr) {
        m_Section->Lock();
    }
}

void MLocalSection::Attch(MCriticalSection* section) {
    if (m_Section != nullptr) {
        throw MException("<MLocalSection>重复Attch一个Section对象");
    }
    m_Section = section;
    if (m_Section != nullptr) {
        m_Section->Lock();
    }
}

void MLocalSection::UnLock() {
    if (m_Section != nullptr) {
        MCriticalSection* held = m_Section;
        m_Section = nullptr;
        held->UnLock();
    }
}

}  // namespace zephyr
