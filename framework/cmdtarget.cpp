#include "cmdtarget.h"

namespace {
thread_local UINT t_currentCommand = 0;
}

UINT afx::CurrentCommandId() { return t_currentCommand; }

const afx::MsgMap* CCmdTarget::GetThisMessageMap() {
    static const afx::MsgEntry entries[] = {{afx::EntryKind::Message, 0, 0, nullptr}};
    static const afx::MsgMap map = {nullptr, entries};
    return &map;
}

const afx::MsgMap* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

bool CCmdTarget::OnCmdMsg(UINT nID, int nCode, CCmdUI* pCmdUI) {
    const afx::EntryKind want =
        nCode == CN_UPDATE_COMMAND_UI ? afx::EntryKind::UpdateCommand : afx::EntryKind::Command;
    for (const afx::MsgMap* map = GetMessageMap(); map; map = map->pfnGetBase ? map->pfnGetBase() : nullptr) {
        for (const afx::MsgEntry* e = map->entries; e->thunk; ++e) {
            if (e->kind != want || e->id != nID) continue;
            if (nCode == CN_PROBE) return true;
            afx::MsgArgs args{0, 0, 0, pCmdUI};
            const UINT outer = t_currentCommand;
            if (nCode == CN_COMMAND) t_currentCommand = nID;
            e->thunk(this, args);
            t_currentCommand = outer;
            return true;
        }
    }
    return false;
}

bool CCmdTarget::IsCommandEnabled(UINT nID) {
    CCmdUI state;
    state.m_nID = nID;
    state.DoUpdate(this, true);
    return state.m_bEnabled;
}

bool CCmdUI::DoUpdate(CCmdTarget* pTarget, bool bDisableIfNoHandler) {
    m_bEnableChanged = false;
    bool handled = pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this);
    if (bDisableIfNoHandler && !m_bEnableChanged)
        Enable(pTarget->OnCmdMsg(m_nID, CN_PROBE, nullptr));
    return handled;
}
