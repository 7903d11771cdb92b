#include "console/InstrumentCode.h"

#include <cstring>

#include "foundation/MText.h"

namespace zephyr {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int32_t CheckInstrumentCode(const char* code) {
    if (code == nullptr) return -1;
    const size_t length = strlen(code);
    if (length < 4 || length > 6) return -1;
    for (size_t i = 0; i < length; ++i) {
        if (!IsDigit(code[i])) return -2;
    }
    if (length == 6 && strncmp(code, "9999", 4) == 0) return 2;
    return 1;
}

bool IsIndexPushCode(const char* code) {
    if (code == nullptr || strncmp(code, "999", 3) != 0) return false;
    return IsDigit(code[3]) && IsDigit(code[4]) && IsDigit(code[5]);
}

int32_t ReadNumber(const char* word) { return word == nullptr ? 0 : MText::ToInteger(word); }

void CodeField(const char* code, char out[6]) {
    memset(out, 0, 6);
    if (code == nullptr) return;
    for (int i = 0; i < 6 && code[i] != '\0'; ++i) out[i] = code[i];
}

void FieldText(const char* field, uint32_t size, char* out) {
    uint32_t i = 0;
    for (; i < size && field[i] != '\0'; ++i) out[i] = field[i];
    out[i] = '\0';
}

}  // namespace zephyr
