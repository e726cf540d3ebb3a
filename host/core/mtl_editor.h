// The host's material editor, as far as panels go: a frame window holding the
// rollout pages of one material's panel, and the time it edits. Pages keep the
// position their template gives; a panel of one rollout is all this editor lays out.
#pragma once

#include "mtlbase.h"

#include <string>
#include <vector>

class CoreExport MtlEditor : public IMtlParams {
public:
    MtlEditor();
    ~MtlEditor() override;
    MtlEditor(const MtlEditor&) = delete;
    MtlEditor& operator=(const MtlEditor&) = delete;

    // Shows the material's panel as the editor does, through CreateParamDlg; any
    // panel open before is closed first. False when the material makes none.
    bool Open(MtlBase* mtl);
    // Closes the panel: it deletes itself (DeleteThis), and its pages go.
    void Close();
    ParamDlg* Panel() const { return panel_; }

    HWND Frame() const { return frame_; }
    // The open rollout pages, top to bottom, and their titles.
    const std::vector<HWND>& Pages() const { return pages_; }
    const std::vector<std::wstring>& Titles() const { return titles_; }
    int MtlChangedCount() const { return changed_; }
    void SetTime(TimeValue t);

    // IMtlParams
    void MtlChanged() override { ++changed_; }
    HWND AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                       const MCHAR* title, LPARAM param = 0, DWORD flags = 0,
                       int category = ROLLUP_CAT_STANDARD) override;
    void DeleteRollupPage(HWND hRollup) override;
    TimeValue GetTime() override { return time_; }

private:
    HWND frame_ = nullptr;
    ParamDlg* panel_ = nullptr;
    std::vector<HWND> pages_;
    std::vector<std::wstring> titles_;
    TimeValue time_ = 0;
    int changed_ = 0;
};
