// Level-2 pushes as the module may send them, hostile ones included. The first input byte picks
// the path: even, the rest is a plain push handed straight to the push handler; odd, the rest is
// a packed push handed to the bridge's push callback, which unpacks it for the handler.
// Checks: no read outside the push (sanitizers) and no more snapshots than whole records fit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "foundation/MString.h"
#include "l2bridge/HKTransLoader.h"
#include "l2bridge/Level2Sink.h"
#include "market/Market.h"
#include "process/Level2PushHandler.h"

namespace {

using namespace zephyr;

class FuzzOwner : public Level2Sink, public Level2PushTarget {
public:
    FuzzOwner() : handler(&market, this) { handler.Open(); }
    void OnLevel2Push(uint8_t main_type, uint8_t sub_type, const uint8_t* data, uint16_t length,
                      uint8_t market_number) override {
        handler.OnLevel2Push(main_type, sub_type, data, length, market_number);
    }
    bool IsLevel2Stopped() const override { return false; }
    MLogger* Level2Logger() override { return nullptr; }
    MString Level2ModulePath() const override { return MString("/nonexistent/nimbus.so"); }
    ConsoleReplyCallback Level2ConsoleReply() const override { return nullptr; }
    bool UpdateSnapshot(const Snapshot& s) override {
        ++snapshots;
        if (s.code[0] == 0x7F) ++codes;  // touch the copy
        return true;
    }
    void SetLastL2Time(int64_t) override {}

    Market market;
    Level2PushHandler handler;
    size_t snapshots = 0;
    size_t codes = 0;
};

FuzzOwner& Owner() {
    static FuzzOwner* owner = [] {
        FuzzOwner* o = new FuzzOwner;
        HKTransLoader::initialize(o);  // no module: only attaches the owner
        return o;
    }();
    return *owner;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 0xFFFF + 1) return 0;
    FuzzOwner& owner = Owner();
    owner.snapshots = 0;
    const uint8_t* push = data + 1;
    const size_t length = size - 1;
    if ((data[0] & 1) == 0) {
        owner.handler.OnLevel2Push(2, 41, push, static_cast<uint16_t>(length), 30);
        if (owner.snapshots > (length > 4 ? (length - 4) / 255 : 0)) abort();
    } else {
        HKTransLoader::OnCbPush(2, 41, push, static_cast<int32_t>(length), 30, 0, 1);
    }
    return 0;
}
