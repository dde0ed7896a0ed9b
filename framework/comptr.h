// Owner of a COM interface pointer: releases it when it goes. Moves, never copies.
#pragma once
#include <unknwn.h>
#include <utility>

template <class T> class CComPtr {
public:
    CComPtr() = default;
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;
    CComPtr(CComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ~CComPtr() { Release(); }
    void Release() {
        if (m_p) std::exchange(m_p, nullptr)->Release();
    }
    // For a call that hands out a new reference: whatever was held goes first.
    T** operator&() {
        Release();
        return &m_p;
    }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};
