#include "foundation/MErrorCode.h"

#include <cerrno>

namespace zephyr {

int32_t LastSystemError() { return SystemError(static_cast<uint32_t>(errno)); }

const MErrorCodeEntry MErrorCode[] = {
    {0xA0000001, "Public", "没有足够的内存可以分配"},
    {0xA0000002, "Public", "参数错误或越界"},
    {0xA0000003, "Public", "对象没有初始化"},
    {0xA0000004, "MString", "没有匹配的元素"},
    {0xA0000005, "MDateTime", "无效的时间或日期"},
    {0xA0000006, "MFile", "不能按照规定长度从文件中读取数据"},
    {0xA0000007, "MFile", "不能按照规定长度写入文件数据"},
    {0xA0000008, "MFile", "不能从文件中读取超过指定长度的字符串"},
    {0xA0000009, "MFile", "LINUX操作系统不支持设置文件创建时间"},
    {0xA000000A, "MFile", "文件已经存在且设置为不被拷贝"},
    {0xA000000B, "MFile", "查找文件匹配参数错误"},
    {0xA000000C, "MShareMem", "对象没有实例化"},
    {0xA000000D, "MSocket", "接收数据或发送数据超时"},
    {0xA000000E, "MLZW", "缓冲已满无法存放更多的数据"},
    {0xA000000F, "MLZW", "没有数据可以获取无法读取需要的数据"},
    {0xA0000010, "MLZW", "在字典中没有找到匹配的数据且无更多的字典空间"},
    {0xA0000011, "MLZW", "解码失败无法匹配"},
    {0xA0000012, "MLog", "日志文件头部格式错误"},
    {0xA0000013, "MLog", "日志文件版本不兼容"},
    {0xA0000014, "MLoopbuf", "空间已满"},
    {0xA0000015, "MLoopbuf", "没有任何数据"},
    {0xA0000016, "MRDbFile", "DBF文件头部错误"},
    {0xA0000017, "MRDbFile", "DBF字段信息发生变化"},
    {0xA0000018, "MRDbFile", "DBF读取字段信息发生错误"},
    {0xA0000019, "MRDbFile", "DBF读取数据发生错误"},
    {0xA000001A, "MRDbFile", "DBF没有匹配的字段名称"},
    {0xA000001B, "MRDbFile", "DBF已经为第一条纪录"},
    {0xA000001C, "MRDbFile", "DBF已经为最后一条纪录"},
    {0xA000001D, "MDataBase", "读取数据库字段数据为NULL"},
    {0xA000001E, "MDataBase", "打开数据库发生错误"},
    {0xA000001F, "MDataBase", "执行SQL语句发生错误"},
    {0xA0000020, "MSelfRiseArry", "超过限定空间不能再增加元素"},
    {0xA0000021, "RvProtocol", "数据包长度错误"},
    {0xA0000022, "RvProtocol", "压缩数据包错误"},
    {0xA0000023, "RvProtocol", "错误的数据包"},
    {0xA0000024, "RvProtocol", "加入请求队列失败"},
    {0xA0000025, "RvProtocol", "发送数据超时"},
    {0xA0000026, "RvProtocol", "队列已满不能创建更多的监听端口"},
    {0xA0000027, "RvProtocol", "无效的连接号"},
    {0xA0000028, "RvProtocol", "连接已满无法加入更多的连接"},
    {0xA0000029, "MCompress", "缓冲已满，无法添加压缩数据"},
    {0xA000002A, "MCompress", "没有数据可以获取无法读取需要的数据"},
    {0xA000002B, "MHuffman", "编码长度超过了最大长度"},
    {0xA000002C, "MFinance", "金融数据类型值错误，不在有效范围"},
    {0xA0000031, "MRvStep", "读取STEP发生错误[读取CODE错误]"},
    {0xA0000032, "MRvStep", "读取STEP发生错误[读取VALUE错误]"},
    {0xA0000033, "MRvStep", "写入STEP发生错误[超过最大长度]"},
    {0xA0000034, "MIPSearch", "读取IPSearch数据库文件发生错误[文件错误]"},
    {0xA0000035, "MIPSearch", "读取IPSearch数据库文件发生错误[分配内存错误]"},
    {0xA0000036, "MDll", "LINUX版本的so,丢失DllMain函数"},
    {0, "MErrorCode", "错误表结束标志"},
};

}  // namespace zephyr
