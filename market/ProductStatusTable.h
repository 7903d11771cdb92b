// The product status table: one ProductStatus per share, beside its snapshot.
#pragma once
#include <cstdint>

#include "market/RecordTable.h"
#include "market/Records.h"

namespace zephyr {

class ProductStatusTable : public RecordTable<ProductStatus> {
public:
    // Code-checked: -1 also when the stored record's code differs from the argument's.
    int32_t UpdateAt(const ProductStatus* record, uint32_t index) override {
        return m_Store.UpdateAt(record, index, true);
    }
    uint16_t FindCode(const char* code) { return FindCodeImpl(code); }
};

}  // namespace zephyr
