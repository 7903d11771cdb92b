#include "host/DriverLibrary.h"

#include <cstring>

namespace zephyr::hostkit {

namespace {

template <typename Fn>
void Resolve(const portable::LoadedLibrary& library, const char* name, Fn* slot, std::string* error) {
    *slot = reinterpret_cast<Fn>(library.Symbol(name));
    if (*slot == nullptr && error->empty()) *error = std::string("missing export ") + name;
}

}  // namespace

DriverLibrary::DriverLibrary(const std::string& path) : m_Path(path), m_Library(path) {
    if (!m_Library.IsLoaded()) {
        m_Error = m_Library.Error();
        return;
    }
    Resolve(m_Library, "GetDllVersion", &get_dll_version, &m_Error);
    Resolve(m_Library, "GetDriverBaseInfo", &get_driver_base_info, &m_Error);
    Resolve(m_Library, "BeginDriverWork", &begin_driver_work, &m_Error);
    Resolve(m_Library, "EndDriverWork", &end_driver_work, &m_Error);
    Resolve(m_Library, "IsDriverWorking", &is_driver_working, &m_Error);
    Resolve(m_Library, "GetDriverStatusInfo", &get_driver_status_info, &m_Error);
    Resolve(m_Library, "GetMarketInfo", &get_market_info, &m_Error);
    Resolve(m_Library, "GetDataFrameCount", &get_data_frame_count, &m_Error);
    Resolve(m_Library, "GetOneDataFrame", &get_one_data_frame, &m_Error);
}

DriverLibrary::~DriverLibrary() = default;

bool DriverLibrary::IsLoaded() const { return m_Library.IsLoaded() && m_Error.empty(); }

void* DriverLibrary::Symbol(const char* name) const { return m_Library.Symbol(name); }

uint32_t DriverLibrary::DllVersion() const { return get_dll_version(); }

std::array<uint8_t, sizeof(DriverBaseInfo)> DriverLibrary::BaseInfoBytes(uint8_t fill) const {
    std::array<uint8_t, sizeof(DriverBaseInfo)> bytes;
    bytes.fill(fill);
    get_driver_base_info(reinterpret_cast<DriverBaseInfo*>(bytes.data()));
    return bytes;
}

PublishedConsole* DriverLibrary::Console() const {
    std::array<uint8_t, sizeof(DriverBaseInfo)> bytes = BaseInfoBytes(0);
    PublishedConsole* console = nullptr;
    std::memcpy(&console, bytes.data() + offsetof(DriverBaseInfo, console), sizeof console);
    return console;
}

int32_t DriverLibrary::Begin(const DriverWorkParams& params) const {
    return begin_driver_work(&params, nullptr);
}

int32_t DriverLibrary::End() const { return end_driver_work(); }

uint8_t DriverLibrary::IsWorking() const { return is_driver_working(); }

std::array<uint8_t, 163> DriverLibrary::StatusBytes(uint8_t fill) const {
    std::array<uint8_t, 163> bytes;
    bytes.fill(fill);
    get_driver_status_info(reinterpret_cast<DriverStatusInfo*>(bytes.data()));
    return bytes;
}

int32_t DriverLibrary::MarketInfo(uint16_t capacity, std::vector<uint8_t>* market,
                                  std::vector<uint8_t>* categories) const {
    market->assign(49, 0);
    categories->assign(static_cast<size_t>(capacity) * 13u, 0);
    MarketInfoTargets targets{market->data(), categories->data()};
    return get_market_info(&capacity, &targets);
}

int32_t DriverLibrary::FrameCount(uint8_t main_type, uint8_t sub_type, uint16_t first_record,
                                  uint16_t version, uint8_t* last_frame) const {
    FramePosition position{0, first_record};
    FrameRequest request{main_type, sub_type, &position, version, 0, 0};
    return get_data_frame_count(&request, last_frame);
}

int32_t DriverLibrary::OneFrame(uint8_t main_type, uint8_t sub_type, uint16_t first_record,
                                uint16_t version, uint16_t frame_number,
                                std::vector<uint8_t>* buffer) const {
    FramePosition position{0, first_record};
    FrameRequest request{main_type, sub_type, &position, version, frame_number,
                         static_cast<uint16_t>(buffer->size())};
    void* output = buffer->data();
    return get_one_data_frame(&request, &output);
}

int32_t DriverLibrary::Command(uint32_t console, const std::vector<std::string>& words) const {
    PublishedConsole* handler = Console();
    if (handler == nullptr) return -1;
    std::vector<std::string> copies(words);
    std::vector<char*> argv;
    for (std::string& word : copies) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    return handler->ExecuteCommand(console, argv.data(), static_cast<int32_t>(words.size()));
}

uint16_t ReadU16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t ReadU32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

uint64_t ReadU64(const uint8_t* bytes) {
    return static_cast<uint64_t>(ReadU32(bytes)) |
           (static_cast<uint64_t>(ReadU32(bytes + 4)) << 32);
}

}  // namespace zephyr::hostkit
