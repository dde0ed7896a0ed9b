// Control bars laid out by the frame along its sides: the tool bar and the dialog bar.
// Bars stay where the frame puts them; they cannot be dragged off or floated.
#pragma once
#include <vector>
#include "wnd.h"

class CFrameWnd;

class CControlBar : public CWnd {
public:
    DWORD GetBarStyle() const { return m_dwStyle; }
    virtual void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle; }
    // The frame keeps a bar on the side its style names; it cannot be dragged away.
    void EnableDocking(DWORD) {}
    // Size the bar needs: its thickness across the side it stands on.
    virtual CSize CalcFixedLayout() const = 0;
    // Updates the bar's controls from the command routing of pTarget.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, bool bDisableIfNoHandler) = 0;

protected:
    DWORD m_dwStyle = 0;
};

class CToolBar : public CControlBar {
public:
    bool Create(CWnd* pParent, DWORD dwStyle, UINT nID);
    // Loads the classic tool-bar resource and the bitmap of the same id.
    bool LoadToolBar(UINT nIDResource);
    CSize CalcFixedLayout() const override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, bool bDisableIfNoHandler) override;
    int GetButtonCount() const;
    UINT GetItemID(int index) const;

private:
    CBitmap m_bmpButtons;
};

class CDialogBar : public CControlBar {
public:
    bool Create(CWnd* pParent, UINT nIDTemplate, DWORD dwStyle, UINT nID);
    CSize CalcFixedLayout() const override { return m_sizeDefault; }
    void OnUpdateCmdUI(CFrameWnd*, bool) override {}
    LRESULT DefWindowProc(UINT, WPARAM, LPARAM) override { return 0; }

private:
    void AddToolTips();
    CSize m_sizeDefault;
    HWND m_hToolTip = nullptr;
};

// The tool-tip half of a command's string ("prompt\ntip"); empty when there is none.
CString AfxToolTipText(UINT nID);
