// Dialogs from templates with data exchange, the application object, the file chooser,
// system colours and the resources the program carries as data.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"
#include "platform/window.h"
#include "platform/window_system.h"

// File chooser flags.
constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

// System colours.
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;

constexpr UINT ID_HELP = 0xE146;  // 57670

// --- Resources ---------------------------------------------------------------------

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

// One image of an icon: one colour index per pixel, rows top-down.
struct IconImage {
    int width = 0;
    int height = 0;
    int bitCount = 4;             // 16 colours
    std::vector<RGBQUAD> colors;  // the colour table the indices refer to
    std::vector<BYTE> indices;    // width * height
    std::vector<BYTE> mask;       // width * height, nonzero = transparent; empty: opaque
};

struct IconResource {
    UINT id = 0;
    std::vector<IconImage> images;  // largest first
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
HICON LoadIconResource(UINT id);                        // NULL when there is none
CString LoadStringResource(UINT id);                    // empty when there is none
const IconImage* FindIconImage(HICON icon, int width);  // exact size, else the first

// Template units to pixels, from the dialog font's average character width and height
// (baseX, baseY) as the original platform computes them: x * baseX / 4, y * baseY / 8,
// rounded to nearest.
CRect DialogUnitsToPixels(const CRect& units, int baseX, int baseY);

// --- Data exchange -----------------------------------------------------------------

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // The control with this ID; fails the exchange when there is none.
    CWnd* PrepareCtrl(int id);
    [[noreturn]] void Fail();  // ends the exchange; UpdateData returns FALSE

    BOOL m_bSaveAndValidate;  // TRUE: controls -> members
    CDialog* m_pDlgWnd;
};

// Binds a member control to the dialog's control with this ID, once: the member takes
// over the control's state and its peer (what subclassing does).
void DDX_Control(CDataExchange* pDX, int id, CWnd& rControl);
// Window text <-> string.
void DDX_Text(CDataExchange* pDX, int id, CString& value);
// Combo box selected index <-> int (SetCurSel, GetCurSel).
void DDX_CBIndex(CDataExchange* pDX, int id, int& index);
// Combo box text <-> string. Toward the control: SelectString from the top with the
// text; only when no entry matches, the edit text becomes the text.
void DDX_CBString(CDataExchange* pDX, int id, CString& value);

// --- Dialogs -----------------------------------------------------------------------

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
    ~CDialog() override;

    // Builds the controls, realizes them, runs OnInitDialog and the modal loop; returns
    // EndDialog's result, or -1 without a template or a window system.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Modeless use (DoModal runs these too): builds and realizes the controls, then
    // OnInitDialog; DestroyWindow undoes it. Create is FALSE without a template.
    BOOL Create();
    void DestroyWindow();

    virtual BOOL OnInitDialog();  // UpdateData(FALSE); TRUE: focus the first control

    UINT GetTemplateID() const { return m_nIDTemplate; }
    const DialogTemplate* GetTemplate() const { return m_pTemplate; }
    int GetControlCount() const { return static_cast<int>(m_children.size()); }
    CWnd* GetControlAt(int index) const;  // template order; members once bound
    bool IsEnded() const { return m_bEnded; }
    int GetModalResult() const { return m_nModalResult; }
    CWnd* GetOwner() const { return m_pParentWnd; }
    void Unbind() override;  // unbinds the controls too

protected:
    virtual void DoDataExchange(CDataExchange* pDX) { (void)pDX; }
    virtual void OnOK();      // UpdateData(TRUE), then EndDialog(IDOK)
    virtual void OnCancel();  // EndDialog(IDCANCEL)

    static const MessageMap* GetThisMessageMap();
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend void DDX_Control(CDataExchange* pDX, int id, CWnd& rControl);
    void BuildControls();
    void BindMember(int index, CWnd& member);
    bool WindowSystemAlive() const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    const DialogTemplate* m_pTemplate = nullptr;
    std::vector<std::unique_ptr<CWnd>> m_placeholders;  // template order
    WindowSystem* m_pWindowSystem = nullptr;            // the one that realized this dialog
    bool m_bEnded = false;
    int m_nModalResult = -1;
    bool m_bRealized = false;
    bool m_bFocusFirst = true;
};

// --- Application -------------------------------------------------------------------

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);  // NULL: the executable's name
    virtual ~CWinApp();

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    HICON LoadIcon(UINT id) const { return LoadIconResource(id); }
    void OnHelp() {}  // there is no help file

    CWnd* m_pMainWnd = nullptr;
    std::string m_strAppName;

protected:
    BOOL Enable3dControlsStatic() { return TRUE; }  // the look is always three-dimensional
};

CWinApp* AfxGetApp();  // the application object constructed last, or NULL
std::string AfxGetAppName();
int AfxMessageBox(const char* text, UINT type = MB_OK);  // owner: the main window

// The process's dialog-face colour and the rest, from the window system.
COLORREF GetSysColor(int index);

// --- File chooser ------------------------------------------------------------------

// "IFF files (*.iff)|*.iff|All files (*.*)|*.*||" -> two filters.
std::vector<FileFilter> ParseFileFilter(const char* filter);
// A name without an extension gets ext (".iff" or "iff"); other names are left alone.
std::string ApplyDefaultExtension(const std::string& path, const std::string& ext);

class CFileDialog {
public:
    CFileDialog(BOOL bOpenFileDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* pParentWnd = nullptr);

    INT_PTR DoModal();  // IDOK with a chosen path, else IDCANCEL
    CString GetPathName() const { return m_strPath; }
    const FileChooserRequest& GetRequest() const { return m_request; }

private:
    FileChooserRequest m_request;
    CString m_strPath;
};
