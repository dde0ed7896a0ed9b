// Owner of a kernel handle (a file, a mutex): closes it when it goes. Moves, never
// copies; counted with the framework's file handles.
#pragma once
#include <windows.h>
#include <utility>
#include "handles.h"

class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE h) { Attach(h); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    CHandle& operator=(CHandle&& o) noexcept {
        if (this != &o) {
            Close();
            m_h = std::exchange(o.m_h, nullptr);
        }
        return *this;
    }
    ~CHandle() { Close(); }

    // Takes h (which may be null or INVALID_HANDLE_VALUE: nothing is then owned).
    void Attach(HANDLE h) {
        Close();
        if (h && h != INVALID_HANDLE_VALUE) {
            m_h = h;
            afx::CountCreated(afx::HandleKind::File);
        }
    }
    // Closes now; false when the system reports a failure (for a file just written, a
    // write it had kept back may have failed).
    bool Close() {
        if (!m_h) return true;
        afx::CountReleased(afx::HandleKind::File);
        return ::CloseHandle(std::exchange(m_h, nullptr)) != FALSE;
    }
    bool IsValid() const { return m_h != nullptr; }
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h = nullptr;
};
