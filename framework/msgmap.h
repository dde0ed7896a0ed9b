// Typed message maps. Each entry points at a small template thunk instantiated for
// the handler's exact member-function type: a handler with the wrong signature fails
// to compile, and no member-function pointer is ever cast.
#pragma once
#include <windows.h>
#include <type_traits>
#include "types.h"

class CCmdTarget;
class CCmdUI;
class CDC;

namespace afx {

enum class EntryKind : unsigned char { Message, Command, UpdateCommand };

struct MsgArgs {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    CCmdUI* pCmdUI;
};

using Thunk = LRESULT (*)(CCmdTarget*, const MsgArgs&);

struct MsgEntry {
    EntryKind kind;
    UINT msg;   // window message (Message entries)
    UINT id;    // command identifier (Command / UpdateCommand entries)
    Thunk thunk;
};

struct MsgMap {
    const MsgMap* (*pfnGetBase)();
    const MsgEntry* entries;  // ends with an entry whose thunk is null
};

template <class F> struct MemberOf;
template <class C, class R, class... A> struct MemberOf<R (C::*)(A...)> { using Class = C; };
template <auto F> using ClassOf = typename MemberOf<decltype(F)>::Class;

template <auto F, class Sig> constexpr bool Is = std::is_same_v<decltype(F), Sig ClassOf<F>::*>;

#define AFX_SELF(F) static_cast<afx::ClassOf<F>*>(self)

template <auto F> LRESULT CommandThunk(CCmdTarget* self, const MsgArgs&) {
    static_assert(Is<F, void()>, "command handler must be void OnX()");
    (AFX_SELF(F)->*F)();
    return 0;
}
template <auto F> LRESULT UpdateThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(CCmdUI*)>, "update handler must be void OnUpdateX(CCmdUI*)");
    (AFX_SELF(F)->*F)(a.pCmdUI);
    return 0;
}
template <auto F> LRESULT VoidThunk(CCmdTarget* self, const MsgArgs&) {
    static_assert(Is<F, void()>, "handler must be void OnX()");
    (AFX_SELF(F)->*F)();
    return 0;
}
template <auto F> LRESULT CreateThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, int(LPCREATESTRUCT)>, "OnCreate must be int OnCreate(LPCREATESTRUCT)");
    return (AFX_SELF(F)->*F)(reinterpret_cast<LPCREATESTRUCT>(a.lParam));
}
template <auto F> LRESULT SizeThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(UINT, int, int)>, "OnSize must be void OnSize(UINT, int, int)");
    (AFX_SELF(F)->*F)((UINT)a.wParam, (short)LOWORD(a.lParam), (short)HIWORD(a.lParam));
    return 0;
}
template <auto F> LRESULT TimerThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(UINT_PTR)>, "OnTimer must be void OnTimer(UINT_PTR)");
    (AFX_SELF(F)->*F)((UINT_PTR)a.wParam);
    return 0;
}
template <auto F> LRESULT QueryEndSessionThunk(CCmdTarget* self, const MsgArgs&) {
    static_assert(Is<F, BOOL()>, "OnQueryEndSession must be BOOL OnQueryEndSession()");
    return (AFX_SELF(F)->*F)();
}
template <auto F> LRESULT EndSessionThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(BOOL)>, "OnEndSession must be void OnEndSession(BOOL)");
    (AFX_SELF(F)->*F)((BOOL)a.wParam);
    return 0;
}
template <auto F> LRESULT HelpInfoThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, BOOL(HELPINFO*)>, "OnHelpInfo must be BOOL OnHelpInfo(HELPINFO*)");
    return (AFX_SELF(F)->*F)(reinterpret_cast<HELPINFO*>(a.lParam));
}
template <auto F> LRESULT EraseThunk(CCmdTarget* self, const MsgArgs& a);  // needs CDC, in wnd.h
template <auto F> LRESULT MouseThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(UINT, CPoint)>, "mouse handler must be void OnX(UINT, CPoint)");
    (AFX_SELF(F)->*F)((UINT)a.wParam, CPoint((short)LOWORD(a.lParam), (short)HIWORD(a.lParam)));
    return 0;
}
template <auto F> LRESULT ScrollThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(UINT, UINT, HWND)>, "scroll handler must be void OnXScroll(UINT, UINT, HWND)");
    (AFX_SELF(F)->*F)(LOWORD(a.wParam), HIWORD(a.wParam), (HWND)a.lParam);
    return 0;
}
template <auto F> LRESULT InitMenuPopupThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(HMENU, UINT, BOOL)>, "OnInitMenuPopup must be void (HMENU, UINT, BOOL)");
    (AFX_SELF(F)->*F)((HMENU)a.wParam, LOWORD(a.lParam), HIWORD(a.lParam));
    return 0;
}
template <auto F> LRESULT SetFocusThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(HWND)>, "OnSetFocus must be void OnSetFocus(HWND)");
    (AFX_SELF(F)->*F)((HWND)a.wParam);
    return 0;
}
template <auto F> LRESULT CaptureChangedThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(HWND)>, "OnCaptureChanged must be void OnCaptureChanged(HWND)");
    (AFX_SELF(F)->*F)((HWND)a.lParam);
    return 0;
}
template <auto F> LRESULT KeyThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(UINT, UINT, UINT)>, "key handler must be void OnX(UINT nChar, UINT nRepCnt, UINT nFlags)");
    (AFX_SELF(F)->*F)((UINT)a.wParam, LOWORD(a.lParam), HIWORD(a.lParam));
    return 0;
}
// The point is (-1, -1) when the menu was asked for from the keyboard.
template <auto F> LRESULT ContextMenuThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(HWND, CPoint)>, "OnContextMenu must be void OnContextMenu(HWND, CPoint)");
    (AFX_SELF(F)->*F)((HWND)a.wParam, CPoint((short)LOWORD(a.lParam), (short)HIWORD(a.lParam)));
    return 0;
}
template <auto F> LRESULT DpiChangedThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, void(UINT, UINT, LPRECT)>, "OnDpiChanged must be void OnDpiChanged(UINT, UINT, LPRECT)");
    (AFX_SELF(F)->*F)(LOWORD(a.wParam), HIWORD(a.wParam), reinterpret_cast<LPRECT>(a.lParam));
    return 0;
}
template <auto F> LRESULT MouseWheelThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, BOOL(UINT, short, CPoint)>, "OnMouseWheel must be BOOL OnMouseWheel(UINT, short, CPoint)");
    return (AFX_SELF(F)->*F)(LOWORD(a.wParam), (short)HIWORD(a.wParam),
                             CPoint((short)LOWORD(a.lParam), (short)HIWORD(a.lParam)));
}
template <auto F> LRESULT RawThunk(CCmdTarget* self, const MsgArgs& a) {
    static_assert(Is<F, LRESULT(WPARAM, LPARAM)>, "message handler must be LRESULT OnX(WPARAM, LPARAM)");
    return (AFX_SELF(F)->*F)(a.wParam, a.lParam);
}

}  // namespace afx

#define DECLARE_MESSAGE_MAP()                         \
public:                                               \
    static const afx::MsgMap* GetThisMessageMap();    \
    const afx::MsgMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const afx::MsgMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const afx::MsgMap* theClass::GetThisMessageMap() {                                \
        using ThisClass = theClass;                                                   \
        using TheBaseClass = baseClass;                                               \
        (void)sizeof(ThisClass*);                                                     \
        static const afx::MsgEntry entries[] = {

#define END_MESSAGE_MAP()                                                    \
            {afx::EntryKind::Message, 0, 0, nullptr}};                       \
        static const afx::MsgMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                         \
    }

#define ON_COMMAND(id, fn) {afx::EntryKind::Command, 0, (UINT)(id), &afx::CommandThunk<fn>},
#define ON_UPDATE_COMMAND_UI(id, fn) {afx::EntryKind::UpdateCommand, 0, (UINT)(id), &afx::UpdateThunk<fn>},
#define ON_MESSAGE(msg, fn) {afx::EntryKind::Message, (UINT)(msg), 0, &afx::RawThunk<fn>},
#define ON_WM_CREATE() {afx::EntryKind::Message, WM_CREATE, 0, &afx::CreateThunk<&ThisClass::OnCreate>},
#define ON_WM_SIZE() {afx::EntryKind::Message, WM_SIZE, 0, &afx::SizeThunk<&ThisClass::OnSize>},
#define ON_WM_TIMER() {afx::EntryKind::Message, WM_TIMER, 0, &afx::TimerThunk<&ThisClass::OnTimer>},
#define ON_WM_PAINT() {afx::EntryKind::Message, WM_PAINT, 0, &afx::VoidThunk<&ThisClass::OnPaint>},
#define ON_WM_DESTROY() {afx::EntryKind::Message, WM_DESTROY, 0, &afx::VoidThunk<&ThisClass::OnDestroy>},
#define ON_WM_CLOSE() {afx::EntryKind::Message, WM_CLOSE, 0, &afx::VoidThunk<&ThisClass::OnClose>},
#define ON_WM_QUERYENDSESSION() {afx::EntryKind::Message, WM_QUERYENDSESSION, 0, &afx::QueryEndSessionThunk<&ThisClass::OnQueryEndSession>},
#define ON_WM_HELPINFO() {afx::EntryKind::Message, WM_HELP, 0, &afx::HelpInfoThunk<&ThisClass::OnHelpInfo>},
#define ON_WM_ENDSESSION() {afx::EntryKind::Message, WM_ENDSESSION, 0, &afx::EndSessionThunk<&ThisClass::OnEndSession>},
#define ON_WM_ERASEBKGND() {afx::EntryKind::Message, WM_ERASEBKGND, 0, &afx::EraseThunk<&ThisClass::OnEraseBkgnd>},
#define ON_WM_LBUTTONDOWN() {afx::EntryKind::Message, WM_LBUTTONDOWN, 0, &afx::MouseThunk<&ThisClass::OnLButtonDown>},
#define ON_WM_LBUTTONDBLCLK() {afx::EntryKind::Message, WM_LBUTTONDBLCLK, 0, &afx::MouseThunk<&ThisClass::OnLButtonDblClk>},
#define ON_WM_LBUTTONUP() {afx::EntryKind::Message, WM_LBUTTONUP, 0, &afx::MouseThunk<&ThisClass::OnLButtonUp>},
#define ON_WM_MOUSEMOVE() {afx::EntryKind::Message, WM_MOUSEMOVE, 0, &afx::MouseThunk<&ThisClass::OnMouseMove>},
#define ON_WM_RBUTTONDOWN() {afx::EntryKind::Message, WM_RBUTTONDOWN, 0, &afx::MouseThunk<&ThisClass::OnRButtonDown>},
#define ON_WM_RBUTTONUP() {afx::EntryKind::Message, WM_RBUTTONUP, 0, &afx::MouseThunk<&ThisClass::OnRButtonUp>},
#define ON_WM_HSCROLL() {afx::EntryKind::Message, WM_HSCROLL, 0, &afx::ScrollThunk<&ThisClass::OnHScroll>},
#define ON_WM_VSCROLL() {afx::EntryKind::Message, WM_VSCROLL, 0, &afx::ScrollThunk<&ThisClass::OnVScroll>},
#define ON_WM_SETFOCUS() {afx::EntryKind::Message, WM_SETFOCUS, 0, &afx::SetFocusThunk<&ThisClass::OnSetFocus>},
#define ON_WM_CAPTURECHANGED() {afx::EntryKind::Message, WM_CAPTURECHANGED, 0, &afx::CaptureChangedThunk<&ThisClass::OnCaptureChanged>},
#define ON_WM_KEYDOWN() {afx::EntryKind::Message, WM_KEYDOWN, 0, &afx::KeyThunk<&ThisClass::OnKeyDown>},
#define ON_WM_CONTEXTMENU() {afx::EntryKind::Message, WM_CONTEXTMENU, 0, &afx::ContextMenuThunk<&ThisClass::OnContextMenu>},
#define ON_WM_DPICHANGED() {afx::EntryKind::Message, WM_DPICHANGED, 0, &afx::DpiChangedThunk<&ThisClass::OnDpiChanged>},
#define ON_WM_MOUSEWHEEL() {afx::EntryKind::Message, WM_MOUSEWHEEL, 0, &afx::MouseWheelThunk<&ThisClass::OnMouseWheel>},
#define ON_WM_INITMENUPOPUP() {afx::EntryKind::Message, WM_INITMENUPOPUP, 0, &afx::InitMenuPopupThunk<&ThisClass::OnInitMenuPopup>},
