// The checks the console applies to a typed instrument code and the reading of its numbers.
#pragma once
#include <cstdint>

namespace zephyr {

// -1 when the length is outside 4..6, -2 when a character is not a digit 0-9, 2 for a
// six-character code that begins "9999", 1 for any other valid code. Null: -1.
int32_t CheckInstrumentCode(const char* code);

// "pushdata" treats a code as an index when its first three characters are "999" and the next
// three are digits.
bool IsIndexPushCode(const char* code);

// The standard decimal conversion of a command word: leading blanks skipped, an optional sign,
// reading stops at the first character that is not a digit, a word without digits reads as 0,
// values beyond 32 bits saturate. Null reads as 0.
int32_t ReadNumber(const char* word);

// The 6-byte code field for a typed code: its first six characters, zero-filled.
void CodeField(const char* code, char out[6]);

// Copies a fixed text field of size bytes (not necessarily terminated) into out, which holds
// size + 1 bytes, and terminates it.
void FieldText(const char* field, uint32_t size, char* out);

}  // namespace zephyr
