#include "ui/resource_tables.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::vector<const ResourceTable*>& ResourceTables() {
    static std::vector<const ResourceTable*> tables;
    return tables;
}

// a * b / c rounded to nearest, halves away from zero.
LONG MulDiv(LONG a, LONG b, LONG c) {
    const long long p = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<LONG>(p >= 0 ? (p + half) / c : (p - half) / c);
}

}  // namespace

void RegisterResources(const ResourceTable* table) {
    auto& tables = ResourceTables();
    if (table && std::find(tables.begin(), tables.end(), table) == tables.end())
        tables.push_back(table);
}

const DialogTemplate* FindDialogTemplate(UINT id) {
    for (const ResourceTable* t : ResourceTables())
        for (const DialogTemplate* d : t->dialogs)
            if (d && d->id == id) return d;
    return nullptr;
}

HICON LoadIconResource(UINT id) {
    for (const ResourceTable* t : ResourceTables())
        for (const IconResource* icon : t->icons)
            if (icon && icon->id == id) return icon;
    return nullptr;
}

CString LoadStringResource(UINT id) {
    for (const ResourceTable* t : ResourceTables())
        for (const StringResource& s : t->strings)
            if (s.id == id) return s.text ? s.text : "";
    return CString();
}

CRect DialogUnitsToPixels(const CRect& units, int baseX, int baseY) {
    return CRect(MulDiv(units.left, baseX, 4), MulDiv(units.top, baseY, 8),
                 MulDiv(units.right, baseX, 4), MulDiv(units.bottom, baseY, 8));
}

CRect AnchoredRect(const CRect& place, DWORD anchor, int dx, int dy) {
    dx = std::max(dx, 0);
    dy = std::max(dy, 0);
    CRect r = place;
    if (anchor & (ANCHOR_MOVE_X | ANCHOR_GROW_X)) r.right += dx;
    if (anchor & ANCHOR_MOVE_X) r.left += dx;
    if (anchor & (ANCHOR_MOVE_Y | ANCHOR_GROW_Y)) r.bottom += dy;
    if (anchor & ANCHOR_MOVE_Y) r.top += dy;
    return r;
}
