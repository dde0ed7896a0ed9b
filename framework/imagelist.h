// Owner of an image list: a row of pictures of one size that controls such as the
// tool bar draw from. Like the GDI owners it moves but never copies, and the
// framework counts the lists alive.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <utility>
#include "handles.h"

class CImageList {
public:
    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    CImageList(CImageList&& o) noexcept : m_hImageList(std::exchange(o.m_hImageList, nullptr)) {}
    CImageList& operator=(CImageList&& o) noexcept {
        if (this != &o) {
            DeleteImageList();
            m_hImageList = std::exchange(o.m_hImageList, nullptr);
        }
        return *this;
    }
    ~CImageList() { DeleteImageList(); }

    bool Create(int cx, int cy, UINT flags, int nInitial, int nGrow);
    // Fills the list from a bitmap resource that holds pictures of cx x cy side by
    // side. A 32-bit bitmap keeps its alpha, and pDisabled (if given) receives the
    // same pictures grey and faded, for disabled buttons. A bitmap of fewer colours
    // is mapped to the system's button colours, as tool bars show them, its light
    // grey becoming the transparent button face; pDisabled is then left empty,
    // since controls grey such pictures themselves.
    bool CreateFromStrip(HINSTANCE hInst, UINT nIDBitmap, int cx, int cy, CImageList* pDisabled);
    bool DeleteImageList();

    int GetImageCount() const { return m_hImageList ? ::ImageList_GetImageCount(m_hImageList) : 0; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

private:
    HIMAGELIST m_hImageList = nullptr;
};
