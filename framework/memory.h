// Owner of a global memory block, for blocks handed to the clipboard or written out.
#pragma once
#include <windows.h>
#include <utility>
#include "handles.h"

class CGlobalMem {
public:
    CGlobalMem() = default;
    CGlobalMem(const CGlobalMem&) = delete;
    CGlobalMem& operator=(const CGlobalMem&) = delete;
    CGlobalMem(CGlobalMem&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    ~CGlobalMem() { Free(); }

    bool Alloc(UINT flags, SIZE_T bytes) {
        Free();
        if (!afx::AllocAllowed(afx::HandleKind::Global, bytes)) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        m_h = ::GlobalAlloc(flags, bytes);
        if (m_h) afx::CountCreated(afx::HandleKind::Global);
        return m_h != nullptr;
    }
    void Free() {
        if (!m_h) return;
        ::GlobalFree(m_h);
        afx::CountReleased(afx::HandleKind::Global);
        m_h = nullptr;
    }
    // Hands the block to a new owner (the clipboard, a caller), which frees it.
    HGLOBAL Detach() {
        if (m_h) afx::CountReleased(afx::HandleKind::Global);
        return std::exchange(m_h, nullptr);
    }
    HGLOBAL Get() const { return m_h; }

private:
    HGLOBAL m_h = nullptr;
};

// Locks a block for the scope.
class CGlobalLock {
public:
    explicit CGlobalLock(HGLOBAL h) : m_h(h), m_p(h ? ::GlobalLock(h) : nullptr) {}
    CGlobalLock(const CGlobalLock&) = delete;
    CGlobalLock& operator=(const CGlobalLock&) = delete;
    ~CGlobalLock() {
        if (m_p) ::GlobalUnlock(m_h);
    }
    void* Get() const { return m_p; }
    SIZE_T Size() const { return m_h ? ::GlobalSize(m_h) : 0; }

private:
    HGLOBAL m_h;
    void* m_p;
};
