// The reference exchange rates the processing unit keeps one copy of. Two loaders write them
// from different threads (the rate file on the processing thread, the reference data during an
// initialisation), and host pulls and the console read them: every access takes the one lock.
// Any thread.
#pragma once
#include "foundation/MCriticalSection.h"
#include "foundation/MLocalSection.h"
#include "market/StatusRecords.h"

namespace zephyr {

class ExchangeRates {
public:
    ExchangeRates() = default;
    ExchangeRates(const ExchangeRates&) = delete;
    ExchangeRates& operator=(const ExchangeRates&) = delete;

    ExchangeRate Copy() const {
        MLocalSection lock(m_Lock);
        return m_Rates;
    }
    void Set(const ExchangeRate& rates) {
        MLocalSection lock(m_Lock);
        m_Rates = rates;
    }
    void Clear() { Set(ExchangeRate{0, 0, 0}); }
    // Runs change(ExchangeRate&) under the lock, so that a rule over several rates (a rate still
    // 0 takes the middle rate) sees and leaves one consistent record.
    template <class Change>
    void Modify(Change change) {
        MLocalSection lock(m_Lock);
        change(m_Rates);
    }

private:
    mutable MCriticalSection m_Lock;
    ExchangeRate m_Rates{0, 0, 0};
};

}  // namespace zephyr
