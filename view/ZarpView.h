// The view: owns every piece of capture and picture state, runs the timed capture,
// draws the zoomed picture, tracks the range selection and produces the output.
#pragma once
#include "../framework/afxwin.h"

class CMainFrame;
namespace zarp {
struct SaveControl;
}

class CZarpView : public CScrollView {
    DECLARE_DYNCREATE(CZarpView)
    DECLARE_MESSAGE_MAP()
public:
    CZarpView();
    ~CZarpView() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnInitialUpdate() override;
    void OnDraw(CDC* pDC) override;
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;

    // What m_nCaptureMode and m_nRangeMode hold.
    static constexpr int kCaptureNone = 0, kCaptureScreen = 1, kCaptureActive = 2;
    static constexpr int kRangeOff = 0, kRangeOn = 1;

    // Timed capture and grab.
    void OnTimer(UINT_PTR nIDEvent);
    void OnCaptureScreen();
    void OnCaptureActive();
    // Runs the 1 ms poll: while a capture is pending or a new zoom waits to be shown.
    // The poll stops itself once neither is the case, so an idle Zarp is never woken.
    void StartPoll();
    enum class Grab { taken, noMemory, noWindow, minimised, offScreen, unreadable };
    // Grabs the screen or the foreground window and shows it. Anything but taken
    // leaves the previous picture and all its state as they were.
    Grab GrabImage();
    void OnWait1();  void OnWait2();  void OnWait3();  void OnWait4();  void OnWait5();
    void OnWait6();  void OnWait7();  void OnWait8();  void OnWait9();  void OnWait10();
    void OnWait11(); void OnWait12(); void OnWait13(); void OnWait14(); void OnWait15();
    void OnUpdateWait1(CCmdUI* p);  void OnUpdateWait2(CCmdUI* p);  void OnUpdateWait3(CCmdUI* p);
    void OnUpdateWait4(CCmdUI* p);  void OnUpdateWait5(CCmdUI* p);  void OnUpdateWait6(CCmdUI* p);
    void OnUpdateWait7(CCmdUI* p);  void OnUpdateWait8(CCmdUI* p);  void OnUpdateWait9(CCmdUI* p);
    void OnUpdateWait10(CCmdUI* p); void OnUpdateWait11(CCmdUI* p); void OnUpdateWait12(CCmdUI* p);
    void OnUpdateWait13(CCmdUI* p); void OnUpdateWait14(CCmdUI* p); void OnUpdateWait15(CCmdUI* p);

    // Zoomed picture and drawing. RenderZoom draws both copies at m_nZoomShown; false,
    // with nothing changed, when their memory cannot be had.
    bool RenderZoom();
    void ClearRange();
    BOOL OnEraseBkgnd(CDC* pDC);

    // Range selection.
    void OnRange();
    void OnUpdateRange(CCmdUI* pCmdUI);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    // A quick second press is a press like any other: it starts a drag.
    void OnLButtonDblClk(UINT nFlags, CPoint point) { OnLButtonDown(nFlags, point); }
    // Losing the mouse (another window, a dialog, Alt+Tab) ends a drag where it stood.
    void OnCaptureChanged(HWND hNewCapture);

    // Context menu.
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void ShowContextMenu(CPoint point);
    void OnContextMenu(HWND hWnd, CPoint point);

    // Output: clipboard copy and Save As.
    bool ExtractRange();
    void OnEditCopy();
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    void OnFileSaveAs();
    // The part of Save As after the dialog: refuses a read-only file, writes the
    // picture, remembers the folder. fileName is the name shown in the warning box.
    bool SavePicture(const CString& path, const CString& fileName);
    void OnUpdateFileSaveAs(CCmdUI* pCmdUI);

    // Settings file and help page.
    void ReadSettings();
    // Rewrites zp.x with m_strWork; false, with *pError saying why, when the folder is
    // one the dialog could not be given again, zp.x is no regular file (left alone), or
    // the write failed. pControl: how the rewrite may wait (a start only tries).
    bool WriteSettings(DWORD* pError = nullptr, zarp::SaveControl* pControl = nullptr);
    void OnHelpPage();

    // True when a picture exists that has a non-empty zoomed size.
    bool HasPicture() const;
    // The rectangle Copy and Save As would output, in picture coordinates: the whole
    // zoomed picture, or the fixed range in range mode. Empty when there is nothing
    // to output (no picture, no range, a drag in progress, or outside the picture).
    CRect OutputRect() const;
    // Sets m_bRange from OutputRect: Copy and Save As are enabled exactly when there
    // is something to output.
    void UpdateOutputFlag();
    // A warning box in the program's style: caption "警告", exclamation icon, OK.
    void Warn(const CString& text);

    // State, in declaration order.
    int m_bDrag;
    CString m_strWork;
    int m_bRange;
    int m_nZoom;
    int m_nZoomShown;
    CString m_strInitDir;
    CRect m_rcDrag;
    CRect m_rcRange;
    CPoint m_ptStart;
    int m_nImageCx;
    int m_nImageCy;
    int m_nZoomCx;
    int m_nZoomCy;
    CBitmap m_bmpCapture;
    CBitmap m_bmpZoom;
    CBitmap m_bmpZoomSave;
    CBitmap m_bmpWork;
    CDC m_dcScreen;
    int m_nRangeMode;
    CMainFrame* m_pMainWnd;
    int m_nWaitMs;
    int m_nStartMs;
    int m_nNowMs;
    int m_nCaptureMode;
    // A request is pending: kept apart from the stamp, whose value 0 is a real stamp.
    int m_bPending;
    // The fixed range in picture coordinates, as it was marked: the output follows
    // the frame the user sees even if the view scrolls afterwards.
    CRect m_rcPicture;
    // The scroll position at the press: the drag's start stays on the picture pixel
    // that was pressed even if the view scrolls meanwhile.
    CPoint m_ptStartScroll;
    // The monotonic millisecond count of the pending request: the wait is measured with
    // it, so a clock change or a time-server step during the wait changes nothing.
    unsigned long long m_nStartTick = 0;
    // The type the save dialog offers first (1 BMP, 2 PNG): that of the last save in this
    // run; every start begins with BMP.
    int m_nSaveType = 1;

private:
    // Draws both zoomed copies of source (imageCx x imageCy) at zoom. bNewPicture: the
    // picture's size changed, so the copies' memory is sized afresh.
    bool RenderZoomOf(CBitmap& source, int imageCx, int imageCy, int zoom, bool bNewPicture);
    // Renders at the requested zoom, or keeps the shown one and says why.
    void ApplyZoom();
    // Fixes the range of the last mouse move, as a button-up does.
    void FinishDrag();
    // Ends a drag in progress without a range (zoom change, new grab, mode off).
    void CancelDrag();
    // Copies the clean zoomed copy onto the displayed one, draws pFrame (picture
    // coordinates) into it if given, and with bToScreen also paints the clean picture.
    void RestoreShownCopy(const CRect* pFrame, bool bToScreen);
    // The row of the wait table for the command id.
    void SetWait(UINT id);
    void UpdateWait(CCmdUI* pCmdUI, UINT id);
    void StartCapture(int mode);
    // Shows the frame again after a grab and brings it to the front, or, when Windows
    // keeps the foreground for the window the user is in, flashes its taskbar button.
    void BringBackFrame();
};
