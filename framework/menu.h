// Owner of a menu handle, and the update request for one menu item.
#pragma once
#include <windows.h>
#include <utility>
#include "cmdtarget.h"
#include "handles.h"

class CMenu {
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    CMenu(CMenu&& o) noexcept : m_hMenu(std::exchange(o.m_hMenu, nullptr)) {}
    ~CMenu() { DestroyMenu(); }

    bool LoadMenu(UINT id);
    // Destroys the menu with its submenus; safe to call twice.
    bool DestroyMenu();
    // Gives up ownership (a window that has the menu destroys it).
    HMENU Detach() { return std::exchange(m_hMenu, nullptr); }
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    HMENU GetSubMenu(int pos) const { return ::GetSubMenu(m_hMenu, pos); }
    UINT EnableMenuItem(UINT id, UINT flags) { return ::EnableMenuItem(m_hMenu, id, flags); }

private:
    HMENU m_hMenu = nullptr;
};

// Update request for the item at a position of a popup menu.
class CMenuCmdUI : public CCmdUI {
public:
    CMenuCmdUI(HMENU hMenu, UINT index, UINT id) : m_hMenu(hMenu), m_nIndex(index) { m_nID = id; }
    void Enable(BOOL bOn = TRUE) override;
    void SetCheck(int nCheck = 1) override;

private:
    HMENU m_hMenu;
    UINT m_nIndex;
};
