// The console's view of the running driver: the processing unit's tables, records and actions,
// the configuration unit's settings and the level-2 bridge's console forwarding.
// Building it only stores the two addresses, so it may be built before the units it points to.
#pragma once
#include "console/ConsoleServices.h"

namespace zephyr {

class ConfigUnit;
class ProcessIO;

class ProcessConsoleServices : public ConsoleServices {
public:
    ProcessConsoleServices(ProcessIO* process, ConfigUnit* config) : m_Process(process), m_Config(config) {}

    ConsoleOutputCallback OutputCallback() override;
    ConsoleReplyCallback ReplyCallback() override;
    // Between the processing unit's start and its stop.
    bool IsRunning() override;

    Market& GetMarket() override;
    CodeTable& Codes() override;
    SnapshotTable& Snapshots() override;
    IndexTable& Indexes() override;
    ProductStatusTable& Statuses() override;

    void CopyPriceTable(PriceTable* out) override;
    ExchangeRate CopyRates() override;
    MarketQuotaStatus CopyQuotaStatus() override;
    int64_t LastLevel2Time() override;
    ConsoleSettings Settings() override;

    // Forgets the initialised date, then re-initialises (refused by a stopped unit).
    int32_t ForceReinitialise() override;
    void CorrectClosePrices() override;
    int32_t Push(uint8_t type, const void* data, uint32_t length) override;
    void FlushPushes() override;
    Level2Reach ForwardToLevel2(uint32_t console, char** argv, int32_t argc) override;

private:
    ProcessIO* m_Process;
    ConfigUnit* m_Config;
};

}  // namespace zephyr
