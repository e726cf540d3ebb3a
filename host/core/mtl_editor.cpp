#include "mtl_editor.h"

#include "winui.h"

#include <algorithm>

MtlEditor::MtlEditor() : frame_(winhost::CreateHostWindow(L"Material Editor", 400, 4000)) {}

MtlEditor::~MtlEditor() {
    Close();
    DestroyWindow(frame_);
}

bool MtlEditor::Open(MtlBase* mtl) {
    Close();
    if (!mtl) return false;
    panel_ = mtl->CreateParamDlg(frame_, this);
    return panel_ != nullptr;
}

void MtlEditor::Close() {
    if (!panel_) return;
    ParamDlg* panel = panel_;
    panel_ = nullptr;
    panel->DeleteThis();
}

void MtlEditor::SetTime(TimeValue t) {
    time_ = t;
    if (panel_) panel_->SetTime(t);
}

HWND MtlEditor::AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                              const MCHAR* title, LPARAM param, DWORD, int) {
    HWND page = CreateDialogParamW(hInst, dlgTemplate, frame_, dlgProc, param);
    if (!page) return nullptr;
    pages_.push_back(page);
    titles_.emplace_back(title ? title : L"");
    return page;
}

void MtlEditor::DeleteRollupPage(HWND hRollup) {
    const auto it = std::find(pages_.begin(), pages_.end(), hRollup);
    if (it == pages_.end()) return;
    titles_.erase(titles_.begin() + (it - pages_.begin()));
    pages_.erase(it);
    DestroyWindow(hRollup);
}
