// Connects the processing unit with the level-2 bridge: the bridge's owner (its Level2Sink) on
// one side, the processing unit's Level2Link on the other. Level-2 pushes go to the processing
// unit's handler, which refuses them before the unit started and from its stop on.
#pragma once
#include <cstdint>

#include "l2bridge/Level2Sink.h"
#include "process/Level2Link.h"

namespace zephyr {

class ConfigUnit;
class ProcessIO;

class Level2Connection : public Level2Sink, public Level2Link {
public:
    // Plugs itself into process as its level-2 link.
    Level2Connection(ProcessIO* process, ConfigUnit* config);
    // Leaves the bridge without an owner, so that a module still running reaches nothing.
    ~Level2Connection() override;
    Level2Connection(const Level2Connection&) = delete;
    Level2Connection& operator=(const Level2Connection&) = delete;

    // Level2Link
    int32_t Initialise() override;
    int32_t StartedCount() override;

    // Level2Sink
    void OnLevel2Push(uint8_t main_type, uint8_t sub_type, const uint8_t* data, uint16_t length,
                      uint8_t market) override;
    bool IsLevel2Stopped() const override;
    MLogger* Level2Logger() override;
    MString Level2ModulePath() const override;
    ConsoleReplyCallback Level2ConsoleReply() const override;

private:
    ProcessIO* m_Process;
    ConfigUnit* m_Config;
};

}  // namespace zephyr
