#include "ui/menu.h"

CMenu::CMenu() {
    m_items.push_back({MF_STRING, SC_CLOSE, "&Close"});
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
    MenuItem item{flags, id, (flags & MF_SEPARATOR) || !text ? std::string() : std::string(text)};
    m_items.push_back(std::move(item));
    return TRUE;
}
