// The resources the program carries as data: dialog templates, icons and strings, and
// the conversion of template units to pixels.
#pragma once

#include <string>
#include <vector>

#include "base/sys_types.h"
#include "raster/icon.h"

enum class ControlKind { PushButton, Edit, Static, ListBox, ComboBox };

struct DialogControl {
    int id = -1;
    ControlKind kind = ControlKind::Static;
    std::string text;
    DWORD style = 0;  // WS_CHILD and WS_VISIBLE are implied
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    UINT imageId = 0;                    // SS_ICON statics: the icon resource
};

struct DialogTemplate {
    UINT id = 0;
    bool extended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::string caption;
    std::string fontName;
    WORD fontSize = 8;                    // points
    std::vector<DialogControl> controls;  // template and tab order
};

struct StringResource {
    UINT id = 0;
    const char* text = "";
};

struct ResourceTable {
    std::vector<const DialogTemplate*> dialogs;
    std::vector<const IconResource*> icons;
    std::vector<StringResource> strings;
};

// The program registers its tables once, before the first lookup; registering the same
// table again changes nothing. Lookups search the tables in registration order.
void RegisterResources(const ResourceTable* table);
const DialogTemplate* FindDialogTemplate(UINT id);
HICON LoadIconResource(UINT id);      // NULL when there is none
CString LoadStringResource(UINT id);  // empty when there is none

// Template units to pixels, from the dialog font's average character width and height
// (baseX, baseY) as the original platform computes them: x * baseX / 4, y * baseY / 8,
// rounded to nearest.
CRect DialogUnitsToPixels(const CRect& units, int baseX, int baseY);
