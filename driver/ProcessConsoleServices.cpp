#include "driver/ProcessConsoleServices.h"

#include <cstring>

#include "config/ConfigUnit.h"
#include "l2bridge/HKTransLoader.h"
#include "process/ProcessIO.h"

namespace zephyr {

ConsoleOutputCallback ProcessConsoleServices::OutputCallback() { return m_Process->GetWorkParams().console_output; }

ConsoleReplyCallback ProcessConsoleServices::ReplyCallback() { return m_Process->GetWorkParams().console_reply; }

bool ProcessConsoleServices::IsRunning() { return m_Process->IsStarted(); }

Market& ProcessConsoleServices::GetMarket() { return m_Process->Day().GetMarket(); }
CodeTable& ProcessConsoleServices::Codes() { return m_Process->Day().Codes(); }
SnapshotTable& ProcessConsoleServices::Snapshots() { return m_Process->Day().Snapshots(); }
IndexTable& ProcessConsoleServices::Indexes() { return m_Process->Day().Indexes(); }
ProductStatusTable& ProcessConsoleServices::Statuses() { return m_Process->Day().Statuses(); }

// The price table, the rates and the quota status have no lock: they change only while the day
// is loaded, and a copy taken meanwhile may mix two states, never more.
void ProcessConsoleServices::CopyPriceTable(PriceTable* out) { memcpy(out, &m_Process->Day().Prices(), sizeof *out); }

ExchangeRate ProcessConsoleServices::CopyRates() {
    const ExchangeRate rates = m_Process->Day().Rates().Copy();
    return rates;
}

MarketQuotaStatus ProcessConsoleServices::CopyQuotaStatus() {
    MarketQuotaStatus quota;
    memcpy(&quota, &m_Process->Loaders().QuotaStatus(), sizeof quota);
    return quota;
}

int64_t ProcessConsoleServices::LastLevel2Time() { return m_Process->GetLastL2Time(); }

ConsoleSettings ProcessConsoleServices::Settings() {
    ConsoleSettings settings{false, 0, false};
    if (m_Config != nullptr) {
        settings.filt_warrant = m_Config->FiltWarrant();
        settings.kp_time = m_Config->KPTime();
        settings.hsi_enable = m_Config->HSIEnable();
    }
    return settings;
}

int32_t ProcessConsoleServices::ForceReinitialise() {
    if (!m_Process->IsStarted()) return -1;
    m_Process->ClearInitialisedDate();
    return m_Process->Reinitialise();
}

void ProcessConsoleServices::CorrectClosePrices() { m_Process->CorrectClosePrices(); }

int32_t ProcessConsoleServices::Push(uint8_t type, const void* data, uint32_t length) {
    return m_Process->Push(type, data, length);
}

void ProcessConsoleServices::FlushPushes() { m_Process->FlushPushes(); }

Level2Reach ProcessConsoleServices::ForwardToLevel2(uint32_t console, char** argv, int32_t argc) {
    Level2Reach reach = Level2Reach::kForwarded;
    HKTransLoader::ForwardCommand(console, argv, argc, &reach);
    return reach;
}

}  // namespace zephyr
