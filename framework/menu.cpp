#include "menu.h"
#include "app.h"

bool CMenu::LoadMenu(UINT id) {
    DestroyMenu();
    m_hMenu = ::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
    if (m_hMenu) afx::CountCreated(afx::HandleKind::Menu);
    return m_hMenu != nullptr;
}

bool CMenu::DestroyMenu() {
    if (!m_hMenu) return false;
    BOOL ok = ::DestroyMenu(m_hMenu);
    afx::CountReleased(afx::HandleKind::Menu);
    m_hMenu = nullptr;
    return ok != FALSE;
}

void CMenuCmdUI::Enable(BOOL bOn) {
    CCmdUI::Enable(bOn);
    ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_GRAYED));
}

void CMenuCmdUI::SetCheck(int nCheck) {
    CCmdUI::SetCheck(nCheck);
    ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
}
