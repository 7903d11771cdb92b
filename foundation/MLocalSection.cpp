#include "foundation/MLocalSection.h"

#include "foundation/MException.h"

namespace zephyr {

MLocalSection::MLocalSection(MCriticalSection* section) : section_(section) {
    if (section_ != nullptr) {
        section_->Lock();
    }
}

void MLocalSection::Attch(MCriticalSection* section) {
    if (section_ != nullptr) {
        throw MException("<MLocalSection>重复Attch一个Section对象");
    }
    section_ = section;
    if (section_ != nullptr) {
        section_->Lock();
    }
}

void MLocalSection::UnLock() {
    if (section_ != nullptr) {
        MCriticalSection* held = section_;
        section_ = nullptr;
        held->UnLock();
    }
}

}  // namespace zephyr
