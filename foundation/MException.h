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
    const char* what() const noexcept override { return message_; }
    const char* GetMessage() const noexcept { return message_; }

    static constexpr unsigned kMessageSize = 256;

private:
    char message_[kMessageSize];
};

}  // namespace zephyr
