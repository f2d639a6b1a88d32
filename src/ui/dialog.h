// Dialogs built from templates: their controls, data exchange and the modal loop.
#pragma once

#include <memory>
#include <vector>

#include "ui/data_exchange.h"
#include "ui/resource_tables.h"
#include "ui/window.h"

class WindowSystem;

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
