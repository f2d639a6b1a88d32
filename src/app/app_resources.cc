#include "app/app_resources.h"

#include "app/control_ids.h"

namespace {

constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabel = SS_LEFT | WS_GROUP;
constexpr DWORD kPaletteCombo = CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP;

// In a grown window the preview, the frame list and the status line take the room; the
// left column stays as it is and the buttons keep to their corner.
constexpr DWORD kGrow = ANCHOR_GROW_X | ANCHOR_GROW_Y;
constexpr DWORD kCorner = ANCHOR_MOVE_X | ANCHOR_MOVE_Y;

DialogControl Control(int id, ControlKind kind, const char* text, DWORD style, short x, short y,
                      short cx, short cy, DWORD anchor = 0) {
    DialogControl c;
    c.id = id;
    c.kind = kind;
    c.text = text;
    c.style = style;
    c.x = x;
    c.y = y;
    c.cx = cx;
    c.cy = cy;
    c.anchor = anchor;
    return c;
}

DialogTemplate MakeMainDialog() {
    using K = ControlKind;
    DialogTemplate t;
    t.id = IDD_PALVANE2_DIALOG;
    t.extended = true;
    // Sizable and maximisable: the preview takes the room (see the anchors below).
    t.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
              WS_THICKFRAME | WS_MAXIMIZEBOX;
    t.exStyle = WS_EX_APPWINDOW;
    t.cx = 408;
    t.cy = 266;
    t.caption = "Palvane 2";
    t.fontName = "MS Sans Serif";
    t.fontSize = 8;
    t.controls = {
        Control(IDC_CLOSE, K::PushButton, "&Close", kButton, 351, 245, 50, 14, kCorner),
        Control(IDC_STATIC, K::Static, "Current file:", kLabel, 7, 9, 36, 8),
        Control(IDC_FILE, K::Edit, "", WS_BORDER | ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, 51, 7,
                290, 14, ANCHOR_GROW_X),
        Control(IDC_BROWSE, K::PushButton, "&Browse...", kButton, 351, 7, 50, 14, ANCHOR_MOVE_X),
        Control(IDC_STATIC, K::Static, "", SS_ETCHEDFRAME, 7, 29, 394, 207, kGrow),
        Control(IDC_FRAME, K::ComboBox, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 112, 37,
                277, 140, ANCHOR_GROW_X),
        Control(IDC_SPRITES, K::ListBox, "",
                LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 16, 56, 86,
                98),
        Control(IDC_STATIC, K::Static, "Available sprites", kLabel, 16, 39, 52, 8),
        Control(IDC_STATIC, K::Static, "Common palette ID:", kLabel, 16, 160, 63, 8),
        Control(IDC_STATIC, K::Static, "Sprite Item Palette ID:", kLabel, 16, 197, 70, 8),
        Control(IDC_PREVIEW, K::Static, "", SS_GRAYRECT | SS_NOTIFY, 112, 56, 277, 169, kGrow),
        Control(IDC_COMMON_PALETTE, K::ComboBox, "", kPaletteCombo, 16, 175, 86, 78),
        Control(IDC_ITEM_PALETTE, K::ComboBox, "", kPaletteCombo, 16, 211, 86, 78),
        Control(IDC_SAVE, K::PushButton, "&Save file", kButton, 291, 245, 50, 14, kCorner),
        Control(IDC_QUICK_PATCH, K::PushButton, "&Quick Patch", kButton, 231, 245, 50, 14, kCorner),
        Control(IDC_MANUAL_PATCH, K::PushButton, "&Manual Patch", kButton, 172, 245, 50, 14,
                kCorner),
        // What the preview shows, one line that clips rather than grows over its neighbours.
        Control(IDC_STATUS, K::Static, "", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 112, 227, 277, 8,
                ANCHOR_GROW_X | ANCHOR_MOVE_Y),
    };
    // Zoom: Ctrl with + (also Shift+= and the keypad's), - and 0.
    constexpr BYTE ctrl = FVIRTKEY | FCONTROL, ctrlShift = ctrl | FSHIFT;
    t.accelerators = {{ctrl, VK_OEM_PLUS, ID_ZOOM_IN},
                      {ctrlShift, VK_OEM_PLUS, ID_ZOOM_IN},
                      {ctrl, VK_ADD, ID_ZOOM_IN},
                      {ctrl, VK_OEM_MINUS, ID_ZOOM_OUT},
                      {ctrl, VK_SUBTRACT, ID_ZOOM_OUT},
                      {ctrl, '0', ID_ZOOM_RESET},
                      // The palette's colours, and the file's other palettes.
                      {ctrl, 'P', ID_SWATCH},
                      {ctrl, VK_PRIOR, ID_PREV_PALETTE},
                      {ctrl, VK_NEXT, ID_NEXT_PALETTE},
                      // Undo and redo; a palette box's field undoes its own typing first.
                      {ctrl, 'Z', ID_EDIT_UNDO},
                      {ctrl, 'Y', ID_EDIT_REDO},
                      {ctrlShift, 'Z', ID_EDIT_REDO}};
    return t;
}

DialogTemplate MakeAboutDialog() {
    using K = ControlKind;
    DialogTemplate t;
    t.id = IDD_ABOUTBOX;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.cx = 235;
    t.cy = 55;
    t.caption = "About Palvane2";
    t.fontName = "MS Sans Serif";
    t.fontSize = 8;
    DialogControl icon = Control(IDC_STATIC, K::Static, "", SS_ICON, 11, 17, 20, 20);
    icon.imageId = IDR_MAINFRAME;
    t.controls = {
        icon,
        Control(IDC_STATIC, K::Static, "Palvane2 Version 1.0", SS_LEFT | SS_NOPREFIX, 40, 10, 119,
                8),
        Control(IDOK, K::PushButton, "OK", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 178, 7, 50,
                14),
    };
    return t;
}

}  // namespace

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate t = MakeMainDialog();
    return t;
}

const DialogTemplate& AboutDialogTemplate() {
    static const DialogTemplate t = MakeAboutDialog();
    return t;
}

const ResourceTable& AppResources() {
    static const ResourceTable table{{&MainDialogTemplate(), &AboutDialogTemplate()},
                                     {&AppIcon()},
                                     {{IDS_ABOUTBOX, "&About Palvane2..."}}};
    return table;
}

void RegisterAppResources() {
    RegisterResources(&AppResources());
}
