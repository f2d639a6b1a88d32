// The resources the program carries as data: dialog templates, icons and strings, and
// the conversion of template units to pixels.
#pragma once

#include <string>
#include <vector>

#include "base/sys_constants.h"
#include "base/sys_types.h"
#include "raster/icon.h"

// How a control follows its dialog grown past the template's size: by default it keeps its
// place at the top left; MOVE keeps its far edges' distance to the dialog's right (X) or
// bottom (Y) edge at its size, GROW keeps its near edge and stretches.
constexpr DWORD ANCHOR_MOVE_X = 0x1;
constexpr DWORD ANCHOR_GROW_X = 0x2;
constexpr DWORD ANCHOR_MOVE_Y = 0x4;
constexpr DWORD ANCHOR_GROW_Y = 0x8;

enum class ControlKind { PushButton, Edit, Static, ListBox, ComboBox };

struct DialogControl {
    int id = -1;
    ControlKind kind = ControlKind::Static;
    std::string text;
    DWORD style = 0;  // WS_CHILD and WS_VISIBLE are implied
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    UINT imageId = 0;                    // SS_ICON statics: the icon resource
    DWORD anchor = 0;                    // ANCHOR_*: how it follows a resized dialog
};

// A key that sends its dialog WM_COMMAND(cmd, CMD_FROM_ACCELERATOR) wherever the focus is
// in the dialog (a text field keeps the keys it uses itself).
struct DialogAccelerator {
    BYTE fVirt = FVIRTKEY;  // FVIRTKEY, with FSHIFT, FCONTROL or FALT as needed
    WORD key = 0;           // a virtual-key code
    WORD cmd = 0;
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
    std::vector<DialogAccelerator> accelerators;
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

// A control's place (pixels, as laid out at the template's size) in a dialog whose client
// area is dx wider and dy taller than the template's; negative growth counts as none.
CRect AnchoredRect(const CRect& place, DWORD anchor, int dx, int dy);
