// The process's standard output moved into a pipe that the process itself reads, so that what
// code loaded into it prints (the C library's printf, and on Windows the system's standard
// output handle too) can be shown in order with the program's own lines.
// Begin, End and CloseOriginal on one thread; Read on one other thread, between Begin and End
// and once more after End until it answers 0.
#pragma once
#include <cstddef>
#include <cstdio>

namespace zephyr::portable {

class OutputCapture {
public:
    OutputCapture() = default;
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // Moves standard output into the pipe (flushing stdout first). False when it cannot;
    // standard output then stays where it was.
    bool Begin();
    // A stream on standard output as it was before Begin, or null when there is none. Valid
    // until CloseOriginal.
    FILE* Original();
    // Waits for printed bytes: answers their count (> 0), or 0 once End has given standard
    // output back and everything printed before was read.
    long Read(char* bytes, size_t size);
    // Standard output back where it was (flushing stdout first); Read then comes to the end.
    void End();
    // Closes the stream of Original and the pipe, once nothing uses them any more.
    void CloseOriginal();

private:
    int m_Original = -1;   // standard output as it was
    int m_Reader = -1;     // the pipe's reading end
    bool m_Capturing = false;
    FILE* m_OriginalStream = nullptr;
};

}  // namespace zephyr::portable
