#include "ui/menu.h"

CMenu::CMenu() {
    m_items.push_back({MF_STRING, SC_CLOSE, "&Close"});
}

namespace {

MenuItem MakeItem(UINT flags, UINT_PTR id, const char* text) {
    flags &= ~MF_BYPOSITION;
    return {flags, id, (flags & MF_SEPARATOR) || !text ? std::string() : std::string(text)};
}

}  // namespace

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
    m_items.push_back(MakeItem(flags, id, text));
    return TRUE;
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR id, const char* text) {
    const auto at = position < m_items.size() ? m_items.begin() + position : m_items.end();
    m_items.insert(at, MakeItem(flags, id, text));
    return TRUE;
}

BOOL CMenu::ModifyMenu(UINT command, UINT flags, UINT_PTR newId, const char* text) {
    for (MenuItem& item : m_items)
        if (!(item.flags & MF_SEPARATOR) && item.id == command) {
            item = MakeItem(flags, newId, text);
            return TRUE;
        }
    return FALSE;
}

const MenuItem* CMenu::FindItem(UINT_PTR command) const {
    for (const MenuItem& item : m_items)
        if (!(item.flags & MF_SEPARATOR) && item.id == command) return &item;
    return nullptr;
}
