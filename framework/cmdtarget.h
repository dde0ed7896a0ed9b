// Command targets and command-update requests. Commands are routed through a chain of
// targets (view, document, frame, application); the same routing answers "is there a
// handler, and is it enabled?" without running anything.
#pragma once
#include "object.h"
#include "msgmap.h"

enum : int {
    CN_COMMAND = 0,             // run the command's handler
    CN_UPDATE_COMMAND_UI = -1,  // ask the command's update handler for enable/check state
    CN_PROBE = -2,              // only report whether a command handler exists
};

class CCmdUI {
public:
    virtual ~CCmdUI() = default;
    UINT m_nID = 0;
    bool m_bEnableChanged = false;  // an update handler called Enable
    bool m_bEnabled = true;         // the answer, for requests not tied to a visible item
    int m_nCheck = -1;              // last SetCheck value, -1 when none was set

    virtual void Enable(BOOL bOn = TRUE) { m_bEnabled = bOn != FALSE; m_bEnableChanged = true; }
    virtual void SetCheck(int nCheck = 1) { m_nCheck = nCheck; }

    // Routes this request to pTarget. When no update handler answers and
    // bDisableIfNoHandler is set, the item is enabled exactly when a command handler
    // exists. Returns true when an update handler answered.
    bool DoUpdate(CCmdTarget* pTarget, bool bDisableIfNoHandler);
};

namespace afx {
// The id of the command whose handler is running (0 outside a handler), for handlers
// that serve several commands.
UINT CurrentCommandId();
}  // namespace afx

class CCmdTarget : public CObject {
public:
    static const afx::MsgMap* GetThisMessageMap();
    virtual const afx::MsgMap* GetMessageMap() const;

    // Looks up and, for CN_COMMAND / CN_UPDATE_COMMAND_UI, calls the handler in this
    // object's own maps. Routing classes override it to ask other targets as well.
    virtual bool OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI);

    // True when the routing from this target would run the command (handler present
    // and not disabled by its update handler).
    bool IsCommandEnabled(UINT nID);
};
