// The binary interface between a host quote system and a source driver library.
//
// This is the one public header of the driver: a host (or a level-2 module, which exports the
// same nine functions) includes it and nothing else of the driver. It depends on nothing but the
// C++ standard headers, so every part of the system may include it as a third party would.
//
// Every record is packed and little-endian. Two builds share one rule: on i386 addresses are
// 4 bytes wide, on x86-64 8 bytes; every field that holds an address takes that width, every
// other field (reserved and zero tails included) keeps its length, and later offsets shift.
// Records without addresses are identical in both builds. A Windows build (LLP64) has the
// records of the Linux build of the same address width, byte for byte.
//
// Calling convention: the nine exports and every host callback use the C default (cdecl on
// 32-bit x86), named once here as ZEPHYR_CALL so that a host compiled with another default
// (/Gz, /Gr) still calls them right. The console object is the exception: it is a C++ object
// of the platform's C++ ABI (see ConsoleCommandHandler below).
#pragma once
#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && defined(__i386__) || defined(_M_IX86)
#define ZEPHYR_CALL __cdecl
#else
#define ZEPHYR_CALL
#endif

namespace zephyr {

// Version word: high 16 bits version x 100, low 16 bits build number.
constexpr uint32_t kDriverVersionWord = 0x0064002F;  // 1.00, build 047
constexpr uint8_t kMarketNumber = 30;
// Width of an address field in the records below: 4 on i386, 8 on x86-64.
constexpr size_t kAddressSize = sizeof(void*);

// Host callbacks. Every one is called from the driver's own threads.
// Push of data: main type, sub type, data (valid only during the call), length (> 0),
// market number, driver id, compressed flag (0 from this driver). Result ignored.
using PushDataCallback = int32_t (ZEPHYR_CALL*)(uint8_t main_type, uint8_t sub_type, const void* data,
                                     int32_t length, uint8_t market, uint16_t driver_id,
                                     uint8_t compressed);
// Log line: level (1 info, 2 warning, 3 error), driver id, reserved (0), module text, then the
// finished message in the format position with no further arguments. Result ignored.
using LogCallback = int32_t (ZEPHYR_CALL*)(int32_t level, uint16_t driver_id, int32_t reserved,
                                const char* module, const char* format, ...);
// Console output: console handle from ExecuteCommand, printf-style format and arguments.
using ConsoleOutputCallback = int32_t (ZEPHYR_CALL*)(uint32_t console, const char* format, ...);
using ConsoleReplyCallback = int32_t (ZEPHYR_CALL*)(uint32_t console, const char* format, ...);
// Called at the start of each re-initialisation of the market, before any table is cleared.
using MarketResetCallback = void (ZEPHYR_CALL*)(uint8_t market, uint16_t driver_id);
// Packet services a host may offer: build a "#" packet, parse one.
using HostPackService = int32_t (ZEPHYR_CALL*)(uint8_t first, uint8_t second, const void* data,
                                    int32_t length, void* output, int32_t capacity);
using HostUnpackService = int32_t (ZEPHYR_CALL*)(const void* data, int32_t length, void** packet,
                                      void* work, int32_t work_capacity);

// The console command object. A driver (or a level-2 module) implements ConsoleCommandHandler
// and publishes it at DriverBaseInfo offset 171 through a ConsolePublication; a host calls
// ExecuteCommand (console handle, the words of the command line with the command first, their
// count) on the PublishedConsole it finds there. The base handler answers -1.
class ConsoleCommandHandler {
public:
    virtual ~ConsoleCommandHandler() = default;
    virtual int32_t ExecuteCommand(uint32_t console, char** argv, int32_t argc) {
        (void)console;
        (void)argv;
        (void)argc;
        return -1;
    }
};

#if defined(_WIN32)
#if defined(__i386__) || defined(_M_IX86)
#define ZEPHYR_THISCALL __thiscall
#else
#define ZEPHYR_THISCALL
#endif
// On Windows the published object has the Microsoft C++ layout that Windows hosts and modules
// are built with: its first word is the address of a table of two entries, the scalar deleting
// destructor and then ExecuteCommand, both member calls (thiscall on 32-bit: this in ECX, the
// callee pops the arguments; the x64 convention on 64-bit).
class PublishedConsole {
public:
    struct Table {
        void* (ZEPHYR_THISCALL* destroy)(PublishedConsole* self, unsigned int flags);
        int32_t (ZEPHYR_THISCALL* execute)(PublishedConsole* self, uint32_t console, char** argv,
                                           int32_t argc);
    };
    int32_t ExecuteCommand(uint32_t console, char** argv, int32_t argc) {
        return m_Table->execute(this, console, argv, argc);
    }

protected:
    explicit PublishedConsole(const Table* table) : m_Table(table) {}

private:
    const Table* m_Table;
};

// Publishes a handler in that layout; lives as long as what it publishes. The destructor entry
// deletes nothing: the object belongs to the library that published it.
class ConsolePublication : private PublishedConsole {
public:
    explicit ConsolePublication(ConsoleCommandHandler* handler)
        : PublishedConsole(&kTable), m_Handler(handler) {}
    PublishedConsole* Get() { return this; }

private:
    static void* ZEPHYR_THISCALL Destroy(PublishedConsole* self, unsigned int) { return self; }
    static int32_t ZEPHYR_THISCALL Execute(PublishedConsole* self, uint32_t console, char** argv,
                                           int32_t argc) {
        return static_cast<ConsolePublication*>(self)->m_Handler->ExecuteCommand(console, argv, argc);
    }
    static constexpr Table kTable = {&Destroy, &Execute};
    ConsoleCommandHandler* m_Handler;
};
#else
// Elsewhere the handler itself is published, in the platform's (Itanium) C++ layout.
using PublishedConsole = ConsoleCommandHandler;

class ConsolePublication {
public:
    explicit ConsolePublication(ConsoleCommandHandler* handler) : m_Handler(handler) {}
    PublishedConsole* Get() { return m_Handler; }

private:
    ConsoleCommandHandler* m_Handler;
};
#endif

#pragma pack(push, 1)

// Handed by the host to BeginDriverWork; the driver keeps a whole copy.
struct DriverWorkParams {
    uint16_t record_form;       // 1; not read
    uint32_t host_version;      // encoding of GetDllVersion; not read
    uint16_t driver_id;         // passed back in every callback
    uint16_t unused8;
    uint32_t request_budget;    // largest byte count the host takes in one frame series
    uint16_t frame_size;        // largest frame the host accepts
    PushDataCallback push_data;         // may be null: pushes are dropped
    LogCallback log;                    // null: log lines are dropped
    ConsoleOutputCallback console_output;
    ConsoleReplyCallback console_reply;
    MarketResetCallback market_reset;   // may be null
    HostPackService pack_service;       // offered by a host, never called by the driver
    HostUnpackService unpack_service;
    uint8_t tail[84];           // carried unread
};

// Written by GetDriverBaseInfo into the caller's buffer of sizeof(DriverBaseInfo) bytes
// (256 on i386, 260 on x86-64).
struct DriverBaseInfo {
    uint8_t market;             // 30
    char market_code[2];        // 'H', ' '
    char name[40];              // "Zephyr", zero-filled
    char description[128];      // zero-terminated
    PublishedConsole* console;  // lives as long as the library
    uint8_t tail[81];           // zero
};

// Written by GetDriverStatusInfo.
struct DriverStatusInfo {
    uint32_t version;           // version word
    uint8_t market;             // 30
    uint8_t working;            // IsDriverWorking
    uint32_t snapshot_age_s;    // seconds since the last snapshot update
    uint32_t market_date;       // YYYYMMDD
    uint32_t market_time;
    uint16_t instrument_count;
    uint16_t zero20;
    uint32_t hsi_last_price;    // index entry "999999"
    int64_t hsi_amount;
    uint64_t hsi_volume;
    uint32_t init_age_s;        // seconds since the last (re-)initialisation finished
    uint32_t uptime_s;          // seconds since BeginDriverWork last succeeded
    uint8_t working_again;      // same as working
    uint8_t tail[112];
};

// Where GetDataFrameCount and GetOneDataFrame start: bytes 1-2 hold the first record index.
struct FramePosition {
    uint8_t unused;
    uint16_t first_record;
};

// Request record of the two frame functions.
struct FrameRequest {
    uint8_t main_type;          // must be 2
    uint8_t sub_type;           // the table
    FramePosition* position;
    uint16_t version;           // must be 3
    uint16_t frame_number;      // counted from 0
    uint16_t buffer_length;     // length of the caller's output buffer
};

// Second argument of GetMarketInfo: where the market record and the category array go.
struct MarketInfoTargets {
    void* market_info;          // 49 bytes
    void* categories;           // 13 bytes per category
};

#pragma pack(pop)

// The records that hold addresses, pinned for both builds (A = address width, 4 or 8).
namespace layout_check {
constexpr size_t A = kAddressSize;
#if defined(__i386__)
static_assert(A == 4, "i386 addresses are 4 bytes");
static_assert(sizeof(DriverWorkParams) == 128, "DriverWorkParams size");
static_assert(sizeof(DriverBaseInfo) == 256, "DriverBaseInfo size");
static_assert(sizeof(FrameRequest) == 12, "FrameRequest size");
static_assert(sizeof(MarketInfoTargets) == 8, "MarketInfoTargets size");
#elif defined(__x86_64__)
static_assert(A == 8, "x86-64 addresses are 8 bytes");
static_assert(sizeof(DriverWorkParams) == 156, "DriverWorkParams size");
static_assert(sizeof(DriverBaseInfo) == 260, "DriverBaseInfo size");
static_assert(sizeof(FrameRequest) == 16, "FrameRequest size");
static_assert(sizeof(MarketInfoTargets) == 16, "MarketInfoTargets size");
#else
#error "the host interface is defined for i386 and x86-64 only"
#endif
static_assert(offsetof(DriverWorkParams, record_form) == 0, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, host_version) == 2, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, driver_id) == 6, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, unused8) == 8, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, request_budget) == 10, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, frame_size) == 14, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, push_data) == 16, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, log) == 16 + A, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, console_output) == 16 + 2 * A, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, console_reply) == 16 + 3 * A, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, market_reset) == 16 + 4 * A, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, pack_service) == 16 + 5 * A, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, unpack_service) == 16 + 6 * A, "DriverWorkParams layout");
static_assert(offsetof(DriverWorkParams, tail) == 16 + 7 * A, "DriverWorkParams layout");
static_assert(sizeof(DriverWorkParams) == 100 + 7 * A, "DriverWorkParams size");

static_assert(offsetof(DriverBaseInfo, market) == 0, "DriverBaseInfo layout");
static_assert(offsetof(DriverBaseInfo, market_code) == 1, "DriverBaseInfo layout");
static_assert(offsetof(DriverBaseInfo, name) == 3, "DriverBaseInfo layout");
static_assert(offsetof(DriverBaseInfo, description) == 43, "DriverBaseInfo layout");
static_assert(offsetof(DriverBaseInfo, console) == 171, "DriverBaseInfo layout");
static_assert(offsetof(DriverBaseInfo, tail) == 171 + A, "DriverBaseInfo layout");
static_assert(sizeof(DriverBaseInfo) == 252 + A, "DriverBaseInfo size");

static_assert(offsetof(FrameRequest, main_type) == 0, "FrameRequest layout");
static_assert(offsetof(FrameRequest, sub_type) == 1, "FrameRequest layout");
static_assert(offsetof(FrameRequest, position) == 2, "FrameRequest layout");
static_assert(offsetof(FrameRequest, version) == 2 + A, "FrameRequest layout");
static_assert(offsetof(FrameRequest, frame_number) == 4 + A, "FrameRequest layout");
static_assert(offsetof(FrameRequest, buffer_length) == 6 + A, "FrameRequest layout");
static_assert(sizeof(FrameRequest) == 8 + A, "FrameRequest size");

static_assert(offsetof(MarketInfoTargets, market_info) == 0, "MarketInfoTargets layout");
static_assert(offsetof(MarketInfoTargets, categories) == A, "MarketInfoTargets layout");
static_assert(sizeof(MarketInfoTargets) == 2 * A, "MarketInfoTargets size");
}  // namespace layout_check

// Records without addresses have one layout on every build.
static_assert(sizeof(DriverStatusInfo) == 163, "DriverStatusInfo size");
static_assert(offsetof(DriverStatusInfo, version) == 0, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, market) == 4, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, working) == 5, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, snapshot_age_s) == 6, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, market_date) == 10, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, market_time) == 14, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, instrument_count) == 18, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, zero20) == 20, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, hsi_last_price) == 22, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, hsi_amount) == 26, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, hsi_volume) == 34, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, init_age_s) == 42, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, uptime_s) == 46, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, working_again) == 50, "DriverStatusInfo layout");
static_assert(offsetof(DriverStatusInfo, tail) == 51, "DriverStatusInfo layout");
static_assert(sizeof(FramePosition) == 3, "FramePosition size");
static_assert(offsetof(FramePosition, first_record) == 1, "FramePosition layout");

}  // namespace zephyr

// The nine exports, undecorated C names (a Windows library lists them in its .def file).
#if defined(_WIN32)
#define ZEPHYR_EXPORT
#else
#define ZEPHYR_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
ZEPHYR_EXPORT uint32_t ZEPHYR_CALL GetDllVersion();
ZEPHYR_EXPORT void ZEPHYR_CALL GetDriverBaseInfo(zephyr::DriverBaseInfo* info);
ZEPHYR_EXPORT int32_t ZEPHYR_CALL BeginDriverWork(const zephyr::DriverWorkParams* params, const void* unused);
ZEPHYR_EXPORT int32_t ZEPHYR_CALL EndDriverWork();
ZEPHYR_EXPORT uint8_t ZEPHYR_CALL IsDriverWorking();
ZEPHYR_EXPORT void ZEPHYR_CALL GetDriverStatusInfo(zephyr::DriverStatusInfo* info);
ZEPHYR_EXPORT int32_t ZEPHYR_CALL GetMarketInfo(const uint16_t* capacity, const zephyr::MarketInfoTargets* targets);
ZEPHYR_EXPORT int32_t ZEPHYR_CALL GetDataFrameCount(const zephyr::FrameRequest* request, uint8_t* last_frame);
ZEPHYR_EXPORT int32_t ZEPHYR_CALL GetOneDataFrame(const zephyr::FrameRequest* request, void* const* output);
}

namespace zephyr {
// Types of the nine entries, for hosts that resolve them with dlsym or GetProcAddress.
using GetDllVersionFn = uint32_t (ZEPHYR_CALL*)();
using GetDriverBaseInfoFn = void (ZEPHYR_CALL*)(DriverBaseInfo*);
using BeginDriverWorkFn = int32_t (ZEPHYR_CALL*)(const DriverWorkParams*, const void*);
using EndDriverWorkFn = int32_t (ZEPHYR_CALL*)();
using IsDriverWorkingFn = uint8_t (ZEPHYR_CALL*)();
using GetDriverStatusInfoFn = void (ZEPHYR_CALL*)(DriverStatusInfo*);
using GetMarketInfoFn = int32_t (ZEPHYR_CALL*)(const uint16_t*, const MarketInfoTargets*);
using GetDataFrameCountFn = int32_t (ZEPHYR_CALL*)(const FrameRequest*, uint8_t*);
using GetOneDataFrameFn = int32_t (ZEPHYR_CALL*)(const FrameRequest*, void* const*);
}  // namespace zephyr
