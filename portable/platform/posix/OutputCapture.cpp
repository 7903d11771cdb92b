#include "portable/OutputCapture.h"

#include <unistd.h>

#include <cerrno>

namespace zephyr::portable {

OutputCapture::~OutputCapture() {
    End();
    CloseOriginal();
}

bool OutputCapture::Begin() {
    fflush(stdout);
    m_Original = dup(STDOUT_FILENO);
    int ends[2];
    if (m_Original < 0 || pipe(ends) != 0) return false;
    dup2(ends[1], STDOUT_FILENO);
    close(ends[1]);
    m_Reader = ends[0];
    m_Capturing = true;
    return true;
}

FILE* OutputCapture::Original() {
    if (m_OriginalStream == nullptr && m_Original >= 0) m_OriginalStream = fdopen(m_Original, "w");
    return m_OriginalStream;
}

long OutputCapture::Read(char* bytes, size_t size) {
    ssize_t n;
    // A signal caught while waiting (the stop request) is no end of the output.
    do {
        n = read(m_Reader, bytes, size);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : static_cast<long>(n);
}

void OutputCapture::End() {
    if (!m_Capturing) return;
    // The pipe's last writing end closes here: the reader sees the end after the last bytes.
    fflush(stdout);
    dup2(m_Original, STDOUT_FILENO);
    m_Capturing = false;
}

void OutputCapture::CloseOriginal() {
    if (m_OriginalStream != nullptr) {
        fclose(m_OriginalStream);  // closes m_Original too
    } else if (m_Original >= 0) {
        close(m_Original);
    }
    if (m_Reader >= 0) close(m_Reader);
    m_OriginalStream = nullptr;
    m_Original = -1;
    m_Reader = -1;
}

}  // namespace zephyr::portable
