#include "portable/OutputCapture.h"

#include <fcntl.h>
#include <io.h>

namespace zephyr::portable {

// The C runtime's descriptors: msvcrt.dll is shared by the program and the libraries it loads,
// and moving descriptor 1 moves the system's standard output handle with it.

OutputCapture::~OutputCapture() {
    End();
    CloseOriginal();
}

bool OutputCapture::Begin() {
    fflush(stdout);
    m_Original = _dup(1);
    int ends[2];
    // Not inherited: a child process holding the writing end would keep the reader waiting.
    if (m_Original < 0 || _pipe(ends, 65536, _O_BINARY | _O_NOINHERIT) != 0) return false;
    _dup2(ends[1], 1);
    _close(ends[1]);
    m_Reader = ends[0];
    m_Capturing = true;
    return true;
}

FILE* OutputCapture::Original() {
    if (m_OriginalStream == nullptr && m_Original >= 0) m_OriginalStream = _fdopen(m_Original, "w");
    return m_OriginalStream;
}

long OutputCapture::Read(char* bytes, size_t size) {
    const int n = _read(m_Reader, bytes, static_cast<unsigned>(size));
    return n < 0 ? 0 : n;
}

void OutputCapture::End() {
    if (!m_Capturing) return;
    fflush(stdout);
    _dup2(m_Original, 1);
    m_Capturing = false;
}

void OutputCapture::CloseOriginal() {
    if (m_OriginalStream != nullptr) {
        fclose(m_OriginalStream);
    } else if (m_Original >= 0) {
        _close(m_Original);
    }
    if (m_Reader >= 0) _close(m_Reader);
    m_OriginalStream = nullptr;
    m_Original = -1;
    m_Reader = -1;
}

}  // namespace zephyr::portable
