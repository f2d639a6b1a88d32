// A window's system menu.
#pragma once

#include <string>
#include <vector>

#include "base/sys_constants.h"
#include "base/sys_types.h"

struct MenuItem {
    UINT flags = MF_STRING;
    UINT_PTR id = 0;
    std::string text;
};

// A window's system menu: Close, then whatever the program appends. The window system
// reads it when it shows the menu.
class CMenu {
public:
    CMenu();
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    // MF_BYPOSITION: before the item at position (past the end: appended).
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    // MF_BYCOMMAND: the item with this command; FALSE when there is none.
    BOOL ModifyMenu(UINT command, UINT flags, UINT_PTR newId = 0, const char* text = nullptr);
    // The item with this command, or NULL.
    const MenuItem* FindItem(UINT_PTR command) const;
    int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
    const std::vector<MenuItem>& GetItems() const { return m_items; }

private:
    std::vector<MenuItem> m_items;
};
