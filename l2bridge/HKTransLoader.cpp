#include "l2bridge/HKTransLoader.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "foundation/MCriticalSection.h"
#include "foundation/MDll.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "foundation/MString.h"
#include "l2bridge/L2PacketServices.h"
#include "l2bridge/Level2Sink.h"

namespace zephyr {

namespace {

constexpr const char* kLoadModule = "加载港股L2传输";
constexpr const char* kStartModule = "启动港股L2传输";
constexpr const char* kUnloadModule = "卸载港股L2传输";
constexpr const char* kModuleLog = "港股L2传输<HKTransLoader::OnCbLog()>";
constexpr int32_t kLargestPush = 0xFFFF;
constexpr size_t kBaseInfoSize = sizeof(DriverBaseInfo);
constexpr size_t kSecondBlockSize = 128;

// The one module of the process. initialize, release and ForwardCommand hold the lock; the
// push and log callbacks do not, so a module that joins its threads in EndDriverWork while they
// call back cannot deadlock against release.
struct Bridge {
    MCriticalSection lock;
    std::atomic<Level2Sink*> sink{nullptr};
    MDll module;
    MString path;
    GetDllVersionFn get_dll_version = nullptr;
    BeginDriverWorkFn begin_driver_work = nullptr;
    EndDriverWorkFn end_driver_work = nullptr;
    IsDriverWorkingFn is_driver_working = nullptr;
    GetDriverBaseInfoFn get_driver_base_info = nullptr;
    PublishedConsole* console = nullptr;
    std::atomic<int32_t> started{0};
    DriverWorkParams params{};
    uint8_t second_block[kSecondBlockSize] = {};
};

// Never destroyed: other objects' destructors at unload (the owner's Detach) may still call in.
// Built in static storage rather than on the heap, so unloading the library leaves nothing behind.
Bridge& TheBridge() {
    alignas(Bridge) static unsigned char storage[sizeof(Bridge)];
    static Bridge* bridge = new (storage) Bridge;
    return *bridge;
}

MLogger* Logger() {
    Level2Sink* sink = TheBridge().sink.load();
    return sink != nullptr ? sink->Level2Logger() : nullptr;
}

void Log(int32_t level, const char* module, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void Log(int32_t level, const char* module, const char* format, ...) {
    MLogger* logger = Logger();
    if (logger == nullptr) return;
    va_list args;
    va_start(args, format);
    logger->WriteV(level, module, format, args);
    va_end(args);
}

void IgnoreMarketReset(uint8_t, uint16_t) {}

template <class Fn>
Fn Resolve(const MDll& module, const char* name) {
    return reinterpret_cast<Fn>(module.GetFunction(name));
}

// Under the bridge lock.
int32_t ReleaseLocked(Bridge& b) {
    Log(kLogInfo, kUnloadModule, "HKTransLoader::release() : [%s]", b.path.GetData());
    const int32_t was_started = b.started.load();
    b.started.store(was_started > 1 ? was_started - 1 : 0);
    if (!b.module.IsLoaded()) return 0;
    if (was_started > 0 && b.end_driver_work != nullptr) b.end_driver_work();
    b.console = nullptr;
    b.get_dll_version = nullptr;
    b.begin_driver_work = nullptr;
    b.end_driver_work = nullptr;
    b.is_driver_working = nullptr;
    b.get_driver_base_info = nullptr;
    b.module.Release();
    return 1;
}

// When the library that holds the bridge is unloaded (or the process ends) with the module still
// running, the module is stopped and unloaded first: its threads would otherwise call into code
// that is gone. The owner may be gone too by then, so nothing is logged.
struct ReleaseAtUnload {
    ~ReleaseAtUnload() {
        Bridge& b = TheBridge();
        MLocalSection lock(b.lock);
        b.sink.store(nullptr);
        ReleaseLocked(b);
    }
} g_release_at_unload;

}  // namespace

int32_t HKTransLoader::initialize(Level2Sink* sink) {
    if (sink == nullptr) return -1;
    Bridge& b = TheBridge();
    MLocalSection lock(b.lock);
    b.sink.store(sink);
    memset(&b.params, 0, sizeof b.params);
    memset(b.second_block, 0, sizeof b.second_block);
    // The path is a setting: the release line already names it, also on the first start.
    b.path = sink->Level2ModulePath();
    ReleaseLocked(b);

    if (b.module.Load(b.path.GetData()) < 0) {
        Log(kLogInfo, kLoadModule, "HKTransLoader::initialize() : 忽略加载L2传输模块! [%s]",
            b.path.GetData());
        return -1;
    }
    b.get_dll_version = Resolve<GetDllVersionFn>(b.module, "GetDllVersion");
    b.begin_driver_work = Resolve<BeginDriverWorkFn>(b.module, "BeginDriverWork");
    b.end_driver_work = Resolve<EndDriverWorkFn>(b.module, "EndDriverWork");
    b.is_driver_working = Resolve<IsDriverWorkingFn>(b.module, "IsDriverWorking");
    b.get_driver_base_info = Resolve<GetDriverBaseInfoFn>(b.module, "GetDriverBaseInfo");
    if (b.get_dll_version == nullptr || b.begin_driver_work == nullptr ||
        b.end_driver_work == nullptr || b.is_driver_working == nullptr ||
        b.get_driver_base_info == nullptr) {
        Log(kLogWarning, kLoadModule, "HKTransLoader::initialize() : 加载L2传输模块接口失败!");
        ReleaseLocked(b);
        return -2;
    }

    const uint32_t version = b.get_dll_version();
    Log(kLogInfo, kLoadModule, "HKTransLoader::initialize() : 加载L2传输成功! [VER:V%.2f B%03d]",
        (version >> 16) * 0.01, static_cast<int>(version & 0xFF));

    alignas(8) uint8_t base_info[kBaseInfoSize] = {};
    b.get_driver_base_info(reinterpret_cast<DriverBaseInfo*>(base_info));
    memcpy(&b.console, base_info + offsetof(DriverBaseInfo, console), sizeof b.console);

    b.params.record_form = 1;
    b.params.host_version = kHostVersionWord;
    b.params.driver_id = 0;
    b.params.request_budget = kRequestBudget;
    b.params.frame_size = kFrameSize;
    b.params.push_data = &HKTransLoader::OnCbPush;
    b.params.log = &HKTransLoader::OnCbLog;
    const ConsoleReplyCallback reply = sink->Level2ConsoleReply();
    b.params.console_output = reply;
    b.params.console_reply = reply;
    b.params.market_reset = &IgnoreMarketReset;
    b.params.pack_service = &L2PacketServices::Pack;
    b.params.unpack_service = &L2PacketServices::Unpack;

    const int32_t begun = b.begin_driver_work(&b.params, b.second_block);
    if (begun < 0) {
        Log(kLogWarning, kStartModule, "HKTransLoader::initialize() : 启动传输模块失败! errorcode = %d",
            begun);
        ReleaseLocked(b);
        return begun;
    }
    b.started.fetch_add(1);
    Log(kLogInfo, kStartModule, "HKTransLoader::initialize() : 启动传输模块成功!");
    return 0;
}

int32_t HKTransLoader::release() {
    Bridge& b = TheBridge();
    MLocalSection lock(b.lock);
    return ReleaseLocked(b);
}

void HKTransLoader::Detach() {
    Bridge& b = TheBridge();
    MLocalSection lock(b.lock);
    b.sink.store(nullptr);
}

int32_t HKTransLoader::GetStartedCount() { return TheBridge().started.load(); }

int32_t HKTransLoader::ForwardCommand(uint32_t console, char** argv, int32_t argc, Level2Reach* reach) {
    Bridge& b = TheBridge();
    MLocalSection lock(b.lock);
    Level2Reach reached = Level2Reach::kForwarded;
    if (!b.module.IsLoaded()) {
        reached = Level2Reach::kNoModule;
    } else if (b.console == nullptr) {
        reached = Level2Reach::kNoConsole;
    }
    if (reach != nullptr) *reach = reached;
    if (reached != Level2Reach::kForwarded) return 0;
    return b.console->ExecuteCommand(console, argv, argc);
}

DriverWorkParams HKTransLoader::GetModuleParams() {
    Bridge& b = TheBridge();
    MLocalSection lock(b.lock);
    return b.params;
}

int32_t HKTransLoader::OnCbPush(uint8_t main_type, uint8_t sub_type, const void* data,
                                int32_t length, uint8_t, uint16_t, uint8_t compressed) {
    try {
        if (main_type != kPushMainType || sub_type != kPushSubType) return 0;
        // The handler reads 16-bit lengths: anything else would be cut and misread.
        if (data == nullptr || length <= 0 || length > kLargestPush) return 0;
        Level2Sink* sink = TheBridge().sink.load();
        if (sink == nullptr || sink->IsLevel2Stopped()) return 0;
        if (compressed == 0) {
            sink->OnLevel2Push(kPushMainType, kPushSubType, static_cast<const uint8_t*>(data),
                               static_cast<uint16_t>(length), kMarketNumber);
            return 0;
        }
        alignas(8) uint8_t work[kUnpackWork] = {};
        void* packet = nullptr;
        const int32_t unpacked = L2PacketServices::Unpack(data, length, &packet, work, sizeof work);
        // A packet of nothing but its header carries no records.
        if (unpacked <= 11 || packet == nullptr) return 0;
        sink->OnLevel2Push(kPushMainType, kPushSubType, static_cast<const uint8_t*>(packet) + 11,
                           static_cast<uint16_t>(unpacked - 11), kMarketNumber);
    } catch (...) {
        fputs("HKTransLoader::OnCbPush() : 未知错误!\n", stdout);
        fflush(stdout);
    }
    return 0;
}

int32_t HKTransLoader::OnCbLog(int32_t, uint16_t, int32_t, const char*, const char* format, ...) {
    if (format == nullptr) return 0;
    MLogger* logger = Logger();
    if (logger == nullptr) return 0;
    char text[kLogMessageSize];
    va_list args;
    va_start(args, format);
    const int n = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0) text[0] = '\0';
    logger->WriteText(kLogInfo, kModuleLog, text);
    return 0;
}

}  // namespace zephyr
