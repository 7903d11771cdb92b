// Error values of the whole system: the one place that defines them.
// Failures are negative signed 32-bit results; success is 0 or positive.
#pragma once
#include <cstdint>

namespace zephyr {

// Operating-system failure: top bit set over the system error number's lower 31 bits.
constexpr int32_t SystemError(uint32_t errnum) {
    return static_cast<int32_t>(0x80000000u | (errnum & 0x7FFFFFFFu));
}
// SystemError(errno) for the calling thread's last error.
int32_t LastSystemError();

constexpr int32_t ErrorValue(uint32_t code) { return static_cast<int32_t>(code); }

constexpr int32_t ERR_NO_MEMORY            = ErrorValue(0xA0000001);  // Public
constexpr int32_t ERR_BAD_ARGUMENT         = ErrorValue(0xA0000002);  // Public
constexpr int32_t ERR_NOT_INITIALISED      = ErrorValue(0xA0000003);  // Public
constexpr int32_t ERR_NO_MATCH             = ErrorValue(0xA0000004);  // MString
constexpr int32_t ERR_BAD_DATETIME         = ErrorValue(0xA0000005);  // MDateTime
constexpr int32_t ERR_FILE_READ_LENGTH     = ErrorValue(0xA0000006);  // MFile
constexpr int32_t ERR_FILE_WRITE_LENGTH    = ErrorValue(0xA0000007);
constexpr int32_t ERR_FILE_STRING_LENGTH   = ErrorValue(0xA0000008);
constexpr int32_t ERR_FILE_CREATE_TIME     = ErrorValue(0xA0000009);
constexpr int32_t ERR_FILE_NO_OVERWRITE    = ErrorValue(0xA000000A);
constexpr int32_t ERR_FILE_FIND_PATTERN    = ErrorValue(0xA000000B);
constexpr int32_t ERR_SHAREMEM_NO_INSTANCE = ErrorValue(0xA000000C);
constexpr int32_t ERR_SOCKET_TIMEOUT       = ErrorValue(0xA000000D);
constexpr int32_t ERR_LZW_BUFFER_FULL      = ErrorValue(0xA000000E);
constexpr int32_t ERR_LZW_NO_DATA          = ErrorValue(0xA000000F);
constexpr int32_t ERR_LZW_DICT_FULL        = ErrorValue(0xA0000010);
constexpr int32_t ERR_LZW_DECODE           = ErrorValue(0xA0000011);
constexpr int32_t ERR_LOG_HEADER           = ErrorValue(0xA0000012);
constexpr int32_t ERR_LOG_VERSION          = ErrorValue(0xA0000013);
constexpr int32_t ERR_LOOPBUF_FULL         = ErrorValue(0xA0000014);
constexpr int32_t ERR_LOOPBUF_EMPTY        = ErrorValue(0xA0000015);
constexpr int32_t ERR_DBF_HEADER           = ErrorValue(0xA0000016);
constexpr int32_t ERR_DBF_FIELDS_CHANGED   = ErrorValue(0xA0000017);
constexpr int32_t ERR_DBF_READ_FIELDS      = ErrorValue(0xA0000018);
constexpr int32_t ERR_DBF_READ_DATA        = ErrorValue(0xA0000019);
constexpr int32_t ERR_DBF_NO_FIELD         = ErrorValue(0xA000001A);
constexpr int32_t ERR_DBF_FIRST_RECORD     = ErrorValue(0xA000001B);
constexpr int32_t ERR_DBF_LAST_RECORD      = ErrorValue(0xA000001C);
constexpr int32_t ERR_DB_NULL_FIELD        = ErrorValue(0xA000001D);
constexpr int32_t ERR_DB_OPEN              = ErrorValue(0xA000001E);
constexpr int32_t ERR_DB_SQL               = ErrorValue(0xA000001F);
constexpr int32_t ERR_ARRAY_LIMIT          = ErrorValue(0xA0000020);  // MSelfRiseArry
constexpr int32_t ERR_PACKET_LENGTH        = ErrorValue(0xA0000021);  // RvProtocol
constexpr int32_t ERR_PACKET_COMPRESSED    = ErrorValue(0xA0000022);
constexpr int32_t ERR_PACKET_BAD           = ErrorValue(0xA0000023);
constexpr int32_t ERR_PACKET_QUEUE         = ErrorValue(0xA0000024);
constexpr int32_t ERR_PACKET_SEND_TIMEOUT  = ErrorValue(0xA0000025);
constexpr int32_t ERR_PACKET_LISTEN_FULL   = ErrorValue(0xA0000026);
constexpr int32_t ERR_PACKET_CONNECTION    = ErrorValue(0xA0000027);
constexpr int32_t ERR_PACKET_CONN_FULL     = ErrorValue(0xA0000028);
constexpr int32_t ERR_COMPRESS_FULL        = ErrorValue(0xA0000029);  // MCompress
constexpr int32_t ERR_COMPRESS_NO_DATA     = ErrorValue(0xA000002A);
constexpr int32_t ERR_HUFFMAN_LENGTH       = ErrorValue(0xA000002B);  // MHuffman
constexpr int32_t ERR_FINANCE_TYPE         = ErrorValue(0xA000002C);  // MFinance
constexpr int32_t ERR_STEP_READ_CODE       = ErrorValue(0xA0000031);  // MRvStep
constexpr int32_t ERR_STEP_READ_VALUE      = ErrorValue(0xA0000032);
constexpr int32_t ERR_STEP_WRITE_LENGTH    = ErrorValue(0xA0000033);
constexpr int32_t ERR_IPSEARCH_FILE        = ErrorValue(0xA0000034);  // MIPSearch
constexpr int32_t ERR_IPSEARCH_MEMORY      = ErrorValue(0xA0000035);
constexpr int32_t ERR_DLL_NO_MAIN          = ErrorValue(0xA0000036);  // MDll

// One entry of the error table: value, module name, message (GBK).
struct MErrorCodeEntry {
    uint32_t code;
    const char* module;
    const char* message;
};

// The table, ending with the record {0, "MErrorCode", "错误表结束标志"}.
extern const MErrorCodeEntry MErrorCode[];

}  // namespace zephyr
