// Control bars laid out by the frame along its sides: the tool bar and the dialog bar.
// Bars stay where the frame puts them; they cannot be dragged off or floated.
#pragma once
#include <vector>
#include "imagelist.h"
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
    // A strip of button pictures drawn for another size: the bitmap resource holds
    // one cx x cy picture per button, in the order of the tool-bar resource.
    struct SizedBitmap {
        UINT nIDBitmap;
        int cx, cy;
    };

    CToolBar() = default;
    ~CToolBar() override;
    bool Create(CWnd* pParent, DWORD dwStyle, UINT nID);
    // Loads the classic tool-bar resource and the bitmap of the same id, shown as
    // at 96 DPI.
    bool LoadToolBar(UINT nIDResource);
    // Registers strips for larger screens beside the one LoadToolBar loaded.
    void SetSizedBitmaps(std::vector<SizedBitmap> bitmaps);
    // Shows the largest strip whose pictures are no wider than the loaded one's
    // scaled to dpi (the smallest when none is), with buttons and margins scaled
    // alike. Safe to call again at any time, e.g. when the window moves to a screen
    // of another DPI; false when no strip could be shown (the pictures then stay).
    bool ApplyDpi(int dpi);
    CSize CalcFixedLayout() const override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, bool bDisableIfNoHandler) override;
    int GetButtonCount() const;
    UINT GetItemID(int index) const;

private:
    bool ShowStrip(const SizedBitmap& strip, int dpi);

    SizedBitmap m_loaded{0, 0, 0};       // the strip of the tool-bar resource
    std::vector<SizedBitmap> m_sized;    // strips for larger screens
    int m_nPictures = 0;                 // buttons that show a picture
    int m_nDpi = 96;                     // the DPI the buttons are laid out for
    SizedBitmap m_shown{0, 0, 0};        // the strip the lists below hold
    CImageList m_images, m_disabledImages;
};

class CDialogBar : public CControlBar {
public:
    bool Create(CWnd* pParent, UINT nIDTemplate, DWORD dwStyle, UINT nID);
    CSize CalcFixedLayout() const override { return m_sizeDefault; }
    void OnUpdateCmdUI(CFrameWnd*, bool) override {}
    LRESULT DefWindowProc(UINT, WPARAM, LPARAM) override { return 0; }
    // Lays the bar out for dpi: its width and height, its controls' places and sizes and
    // their font, scaled from what the template gave at the DPI the bar was made at.
    // The frame's layout then moves the bar itself.
    void ApplyDpi(int dpi);
    int GetDpi() const { return m_nDpi; }

private:
    void AddToolTips();
    // Notes the layout the template gave, the ground for every later DPI.
    void RecordLayout();
    CSize m_sizeDefault;
    HWND m_hToolTip = nullptr;
    struct ControlPlace {
        HWND hWnd;
        CRect rect;  // in the bar's client area, as made
    };
    std::vector<ControlPlace> m_places;
    CSize m_sizeMade;
    int m_nDpiMade = 96, m_nDpi = 96;
    HFONT m_hFontMade = nullptr;  // the template's font; the dialog owns it
    CFont m_font;                 // the font for any other DPI
};

// The tool-tip half of a command's string ("prompt\ntip"); empty when there is none.
CString AfxToolTipText(UINT nID);
