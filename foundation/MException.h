// The foundation exception: raised only for misuse of a foundation object (an array index out of
// range, a second MLocalSection::Attch, event failures, ini section trouble). It carries one
// message text (GBK), beginning with the class name in angle brackets.
#pragma once
#include <exception>

namespace zephyr {

class MException : public std::exception {
public:
    // Keeps at most kMessageSize - 1 bytes of message; never throws itself.
    explicit MException(const char* message) noexcept;
    const char* what() const noexcept override { return m_Message; }
    const char* GetMessage() const noexcept { return m_Message; }

    static constexpr unsigned kMessageSize = 256;

private:
    char m_Message[kMessageSize];
};

}  // namespace zephyr
