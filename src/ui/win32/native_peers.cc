#include "ui/win32/native_peers.h"

#include "raster/gdi.h"
#include "ui/controls.h"

namespace win32ui {

NativePeer::~NativePeer() {
    Detach();
}

void NativePeer::Detach() {
    CWnd* model = m_model;
    m_model = nullptr;
    if (model && model->GetPeer() == this) model->SetPeer(nullptr);
}

void NativePeer::Attached(CWnd* wnd) {
    m_model = wnd;
    if (wnd) Mirror();
}

void NativePeer::EnabledChanged(bool enabled) {
    Enable(m_window, enabled);
}

void NativePeer::Mirror() {
    Enable(m_window, m_model->IsWindowEnabled());
}

namespace {

constexpr DWORD kStaticCenter = 0x01;
constexpr DWORD kStaticRight = 0x02;
constexpr DWORD kStaticSimple = 0x0B;

// Buttons, edits and labels: the model's text is the control's.
class TextPeer : public NativePeer {
public:
    using NativePeer::NativePeer;

    void TextChanged(const std::string& text) override {
        MirrorFlag::Scope scope(m_mirror);
        SetText(m_window, text);
    }

protected:
    void Mirror() override {
        NativePeer::Mirror();
        TextChanged(m_model->GetWindowText());
    }
};

class LabelPeer : public TextPeer {
public:
    LabelPeer(const DialogControl& control, NativeWindow window, MirrorFlag& mirror)
        : TextPeer(window, mirror), m_clips((control.style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP) {}

    void TextChanged(const std::string& text) override {
        TextPeer::TextChanged(text);
        if (!m_clips) FitOneLineLabel(m_window);  // one that clips keeps its place
    }

private:
    bool m_clips;
};

class ButtonPeer : public TextPeer {
public:
    using TextPeer::TextPeer;

    void Notified(int code) override {
        if (code != BN_CLICKED) return;
        if (auto* button = dynamic_cast<CButton*>(m_model)) button->UserClick();
    }
};

class IconPeer : public NativePeer {
public:
    IconPeer(const DialogControl& control, NativeWindow window, MirrorFlag& mirror,
             IconCache& icons)
        : NativePeer(window, mirror) {
        // An icon static takes the icon's size, whatever the template says.
        SetStaticIcon(window, icons.Get(LoadIconResource(control.imageId), IconSize(true)));
    }
};

class SurfacePeer : public NativePeer, public SurfaceEvents {
public:
    SurfacePeer(const DialogControl& control, NativeWindow window, MirrorFlag& mirror)
        : NativePeer(window, mirror) {
        SetSurfaceEvents(window, this, (control.style & SS_NOTIFY) != 0);
    }
    ~SurfacePeer() override { SetSurfaceEvents(m_window, nullptr, false); }

    void Attached(CWnd* wnd) override {
        NativePeer::Attached(wnd);
        Invalidate(m_window);
    }
    void Invalidated(bool erase) override {
        (void)erase;  // the model paints every pixel
        Invalidate(m_window);
    }

    bool Paint(int cx, int cy, SurfaceImage& image) override {
        if (!m_model || !m_model->HandlesMessage(WM_PAINT) || cx <= 0 || cy <= 0) return false;
        m_surface.DeleteObject();
        if (!m_surface.Attach(CreateCompatibleBitmap(nullptr, cx, cy))) return false;
        m_model->PaintInto(m_surface);
        const HBITMAP bitmap = m_surface;
        if (!bitmap->bits || bitmap->bitCount != 32 || bitmap->stride != 4 * bitmap->width)
            return false;
        image.bits = bitmap->bits;
        image.width = bitmap->width;
        image.height = bitmap->height;
        return true;
    }
    void MouseMove(unsigned keys, int x, int y) override {
        constexpr unsigned kKeys = MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_MBUTTON;
        if (m_model) m_model->UserMouseMove(keys & kKeys, x, y);
    }
    void MouseWheel(unsigned keys, int delta, int x, int y) override {
        constexpr unsigned kKeys = MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL | MK_MBUTTON;
        if (m_model) m_model->UserMouseWheel(keys & kKeys, delta, x, y);
    }
    void MouseLeave() override {
        if (m_model) m_model->UserMouseLeave();
    }
    void Resized(int cx, int cy) override {
        if (m_model) m_model->UserResize(cx, cy);
    }

private:
    CBitmap m_surface;  // the last paint's pixels, shown after Paint returns
};

// What list and combo boxes share: the entries, and the selection (a combo box's edit text
// too) mirrored after every change.
class ListPeer : public NativePeer {
public:
    ListPeer(NativeWindow window, MirrorFlag& mirror, bool combo)
        : NativePeer(window, mirror), m_combo(combo) {}

    void EntriesReset() override {
        {
            MirrorFlag::Scope scope(m_mirror);
            ListReset(m_window, m_combo);
        }
        Sync();
    }
    void EntryAdded(int index, const std::string& text) override {
        {
            MirrorFlag::Scope scope(m_mirror);
            ListInsert(m_window, m_combo, index, text);
        }
        Sync();
    }
    void SelectionChanged(int index) override {
        (void)index;
        Sync();
    }

protected:
    CListControl* Model() const { return dynamic_cast<CListControl*>(m_model); }

    void Mirror() override {
        NativePeer::Mirror();
        {
            MirrorFlag::Scope scope(m_mirror);
            ListReset(m_window, m_combo);
            int index = 0;
            for (const ListEntry& entry : Model()->GetEntries())
                ListInsert(m_window, m_combo, index++, entry.text);
        }
        Sync();
    }

    // The row the user's action selected, -1 for none.
    int SelectedRow() const { return ListSelection(m_window, m_combo); }

    virtual void Sync() {
        CListControl* model = Model();
        if (!model) return;
        MirrorFlag::Scope scope(m_mirror);
        if (SelectedRow() != model->GetCurSel()) ListSelect(m_window, m_combo, model->GetCurSel());
    }

private:
    bool m_combo;
};

class ListBoxPeer : public ListPeer {
public:
    ListBoxPeer(NativeWindow window, MirrorFlag& mirror) : ListPeer(window, mirror, false) {}

    void Notified(int code) override {
        auto* model = dynamic_cast<CListBox*>(m_model);
        if (code != LBN_SELCHANGE || !model) return;
        if (SelectedRow() >= 0) model->UserSelect(SelectedRow());
        Sync();
    }
};

class ComboBoxPeer : public ListPeer {
public:
    ComboBoxPeer(NativeWindow window, MirrorFlag& mirror) : ListPeer(window, mirror, true) {}

    void TextChanged(const std::string& text) override {
        (void)text;
        Sync();
    }
    void Notified(int code) override {
        auto* model = dynamic_cast<CComboBox*>(m_model);
        if (!model) return;
        if (code == CBN_SELCHANGE) {
            if (SelectedRow() >= 0) model->UserSelect(SelectedRow());
            Sync();
        } else if (code == CBN_EDITCHANGE && model->HasEdit()) {
            model->UserEditText(GetText(m_window));
        }
    }

protected:
    // Selection and edit text as the model holds them.
    void Sync() override {
        ListPeer::Sync();
        auto* model = dynamic_cast<CComboBox*>(m_model);
        if (!model || !model->HasEdit()) return;
        MirrorFlag::Scope scope(m_mirror);
        const std::string text = model->GetWindowText();
        if (GetText(m_window) != text) SetText(m_window, text);
    }
};

bool IsLabel(DWORD style) {
    switch (style & SS_TYPEMASK) {
        case SS_LEFT:
        case kStaticCenter:
        case kStaticRight:
        case kStaticSimple:
        case SS_LEFTNOWORDWRAP:
            return true;
        default:
            return false;
    }
}

}  // namespace

ControlClass ClassOf(const DialogControl& control) {
    switch (control.kind) {
        case ControlKind::PushButton:
            return ControlClass::button;
        case ControlKind::Edit:
            return ControlClass::edit;
        case ControlKind::ListBox:
            return ControlClass::listBox;
        case ControlKind::ComboBox:
            return ControlClass::comboBox;
        case ControlKind::Static:
            break;
    }
    const DWORD type = control.style & SS_TYPEMASK;
    return IsLabel(control.style) || type == SS_ICON || type == SS_ETCHEDFRAME
               ? ControlClass::staticText
               : ControlClass::surface;
}

std::unique_ptr<NativePeer> MakeNativePeer(const DialogControl& control, NativeWindow window,
                                           MirrorFlag& mirror, IconCache& icons) {
    switch (ClassOf(control)) {
        case ControlClass::button:
            return std::make_unique<ButtonPeer>(window, mirror);
        case ControlClass::edit:
            return std::make_unique<TextPeer>(window, mirror);
        case ControlClass::listBox:
            return std::make_unique<ListBoxPeer>(window, mirror);
        case ControlClass::comboBox:
            return std::make_unique<ComboBoxPeer>(window, mirror);
        case ControlClass::surface:
            return std::make_unique<SurfacePeer>(control, window, mirror);
        case ControlClass::staticText:
            break;
    }
    if ((control.style & SS_TYPEMASK) == SS_ICON)
        return std::make_unique<IconPeer>(control, window, mirror, icons);
    if (IsLabel(control.style)) return std::make_unique<LabelPeer>(control, window, mirror);
    return std::make_unique<NativePeer>(window, mirror);  // a frame: nothing to mirror
}

}  // namespace win32ui
