// The hourglass for the scope of an operation that keeps the thread busy without
// handling messages (a save that waits for another program to let go of a file).
#pragma once
#include <windows.h>

class CWaitCursor {
public:
    CWaitCursor() : m_hPrevious(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    ~CWaitCursor() { ::SetCursor(m_hPrevious); }

private:
    HCURSOR m_hPrevious;
};
