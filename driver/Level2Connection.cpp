#include "driver/Level2Connection.h"

#include "config/ConfigUnit.h"
#include "l2bridge/HKTransLoader.h"
#include "process/ProcessIO.h"

namespace zephyr {

Level2Connection::Level2Connection(ProcessIO* process, ConfigUnit* config)
    : m_Process(process), m_Config(config) {
    m_Process->SetLevel2Link(this);
}

Level2Connection::~Level2Connection() {
    // The module stops (its threads joined) while the processing unit still stands.
    HKTransLoader::release();
    HKTransLoader::Detach();
    m_Process->SetLevel2Link(nullptr);
}

int32_t Level2Connection::Initialise() { return HKTransLoader::initialize(this); }

int32_t Level2Connection::StartedCount() { return HKTransLoader::GetStartedCount(); }

void Level2Connection::OnLevel2Push(uint8_t main_type, uint8_t sub_type, const uint8_t* data,
                                    uint16_t length, uint8_t market) {
    m_Process->OnLevel2Push(main_type, sub_type, data, length, market);
}

bool Level2Connection::IsLevel2Stopped() const { return m_Process->IsLevel2Stopped(); }

MLogger* Level2Connection::Level2Logger() { return &m_Process->Logger(); }

MString Level2Connection::Level2ModulePath() const { return m_Config->TransModule(); }

ConsoleReplyCallback Level2Connection::Level2ConsoleReply() const {
    return m_Process->GetWorkParams().console_reply;
}

}  // namespace zephyr
