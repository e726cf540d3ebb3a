// The host's parameter maps: a rollout page made from a block descriptor's dialog
// template, each control showing the parameter its declaration binds to it (p_ui)
// and writing the user's changes back into the block; and the automatic panel that
// the class descriptor builds for the material editor.
#include "iparamb2.h"
#include "texmap.h"

#include "windows.h"
#include "winui.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A spinner's number as the host's edit boxes show it: at least one decimal, at
// most three, no trailing zeros beyond the first decimal.
std::wstring FormatSpinnerValue(float v) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%.3f", static_cast<double>(v));
    std::wstring s = text;
    while (s.size() > 1 && s.back() == L'0' && s[s.size() - 2] != L'.') s.pop_back();
    if (s == L"-0.0") s = L"0.0";
    return s;
}

BYTE ColorByte(float c) {
    const float clamped = std::min(1.0f, std::max(0.0f, c));
    return static_cast<BYTE>(std::lround(clamped * 255.0f));
}

class ParamMap2 : public IParamMap2 {
public:
    ParamMap2(IParamBlock2* pb, IMtlParams* ip, MapID id, ParamMap2UserDlgProc* proc)
        : block_(pb), desc_(pb->GetDesc()), ip_(ip), id_(id), proc_(proc) {}

    ~ParamMap2() override {
        if (ClassDesc2* cd = Desc() ? Desc()->cd : nullptr) cd->RemoveParamMap(this);
        if (page_) {
            // The page's procedure and the plug-in's hear WM_DESTROY while the map is
            // still theirs.
            if (ip_)
                ip_->DeleteRollupPage(page_);
            else
                DestroyWindow(page_);
        }
        ReleaseProc();
    }

    void Open(HWND page) { page_ = page; }

    IParamBlock2* GetParamBlock() override { return block_; }
    BOOL SetParamBlock(IParamBlock2* pb) override {
        if (!pb || pb->GetDesc() != desc_) return FALSE;
        block_ = pb;
        Invalidate();
        return TRUE;
    }
    MapID GetMapID() override { return id_; }
    ParamBlockDesc2* GetDesc() override { return Desc(); }
    HWND GetHWnd() override { return page_; }

    void SetUserDlgProc(ParamMap2UserDlgProc* proc) override {
        if (proc == proc_) return;
        ReleaseProc();
        proc_ = proc;
        if (proc_ && page_) proc_->DlgProc(Time(), this, page_, WM_INITDIALOG, 0, 0);
    }
    ParamMap2UserDlgProc* GetUserDlgProc() override { return proc_; }

    void Invalidate() override {
        ParamBlockDesc2* desc = Desc();
        if (!desc || !block_) return;
        for (int i = 0; i < desc->Count(); ++i) Show(desc->GetParamDefByIndex(i));
    }
    void Invalidate(ParamID id, int /*tabIndex*/) override {
        ParamBlockDesc2* desc = Desc();
        if (desc && block_ && desc->IDtoIndex(id) >= 0) Show(desc->GetParamDef(id));
    }

    void Enable(ParamID id, BOOL onOff, int /*tabIndex*/) override {
        ForEachControl(id, [onOff](HWND c) { EnableWindow(c, onOff); });
    }
    void Show(ParamID id, BOOL showHide, int /*tabIndex*/) override {
        ForEachControl(id, [showHide](HWND c) { ShowWindow(c, showHide ? SW_SHOW : SW_HIDE); });
    }
    void UpdateUI(TimeValue t) override {
        time_ = t;
        hasTime_ = true;
        Invalidate();
    }

    // The page's messages: WM_INITDIALOG fills the controls; WM_COMMAND and spinner
    // changes write into the block; everything goes on to the plug-in's procedure.
    INT_PTR Message(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
            case WM_INITDIALOG:
                page_ = hWnd;
                FillCombos();
                Invalidate();
                break;
            case WM_COMMAND:
                Command(LOWORD(wParam), HIWORD(wParam));
                break;
            case CC_SPINNER_CHANGE:
                SpinnerChanged(static_cast<int>(wParam), reinterpret_cast<HWND>(lParam));
                break;
            case CC_COLOR_CHANGE:
                SwatchChanged(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
                break;
        }
        INT_PTR result = msg == WM_INITDIALOG || msg == WM_COMMAND ? TRUE : FALSE;
        if (proc_) result = proc_->DlgProc(Time(), this, hWnd, msg, wParam, lParam);
        if (msg == WM_DESTROY) {
            SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            page_ = nullptr;
        }
        return result;
    }

private:
    ParamBlockDesc2* Desc() const { return desc_; }
    TimeValue Time() const { return hasTime_ ? time_ : (ip_ ? ip_->GetTime() : 0); }

    void ReleaseProc() {
        if (!proc_) return;
        ParamMap2UserDlgProc* proc = proc_;
        proc_ = nullptr;
        // The descriptor forgets a procedure that is no more.
        if (ParamBlockDesc2* desc = Desc(); desc && desc->dlgProc == proc) desc->dlgProc = nullptr;
        proc->DeleteThis();
    }

    template <typename F>
    void ForEachControl(ParamID id, F f) {
        ParamBlockDesc2* desc = Desc();
        if (!page_ || !desc || desc->IDtoIndex(id) < 0) return;
        for (int ctrl : desc->GetParamDef(id).ctrl_IDs)
            if (HWND c = GetDlgItem(page_, ctrl)) f(c);
    }

    HWND Item(int id) const { return page_ ? GetDlgItem(page_, id) : nullptr; }

    void FillCombos() {
        ParamBlockDesc2* desc = Desc();
        for (int i = 0; i < desc->Count(); ++i) {
            const ParamDef& def = desc->GetParamDefByIndex(i);
            if (def.ctrl_type != TYPE_INT_COMBOBOX || def.ctrl_IDs.empty()) continue;
            HWND combo = Item(def.ctrl_IDs[0]);
            if (!combo) continue;
            SendMessageW(combo, CB_RESETCONTENT, 0, 0);
            for (StringResID item : def.combo_items) {
                const MCHAR* text = desc->cd ? desc->cd->GetRsrcString(item) : nullptr;
                const std::wstring copy = text ? text : L"";
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy.c_str()));
            }
        }
    }

    // The block's value of one parameter, in its controls.
    void Show(const ParamDef& def) {
        if (!page_ || !def.HasControl() || def.ctrl_IDs.empty()) return;
        const TimeValue t = Time();
        switch (def.ctrl_type) {
            case TYPE_SPINNER: {
                const float v = def.type == TYPE_INT || def.type == TYPE_BOOL
                                    ? static_cast<float>(block_->GetInt(def.ID, t))
                                    : block_->GetFloat(def.ID, t);
                if (HWND edit = Item(def.ctrl_IDs[0]))
                    SetWindowTextW(edit, FormatSpinnerValue(v).c_str());
                if (def.ctrl_IDs.size() > 1)
                    if (HWND spin = Item(def.ctrl_IDs[1])) winhost::SetSpinnerValue(spin, v);
                break;
            }
            case TYPE_SINGLECHEKBOX:
                CheckDlgButton(page_, def.ctrl_IDs[0],
                               block_->GetInt(def.ID, t) ? BST_CHECKED : BST_UNCHECKED);
                break;
            case TYPE_COLORSWATCH:
                if (HWND swatch = Item(def.ctrl_IDs[0])) {
                    const Color c = block_->GetColor(def.ID, t);
                    winhost::SetSwatchColor(swatch,
                                            RGB(ColorByte(c.r), ColorByte(c.g), ColorByte(c.b)));
                }
                break;
            case TYPE_TEXMAPBUTTON:
                if (HWND button = Item(def.ctrl_IDs[0])) {
                    Texmap* map = block_->GetTexmap(def.ID, t);
                    MSTR name = map ? map->GetName() : MSTR(L"None");
                    if (map && name.Length() == 0) name = map->GetFullName();
                    SetWindowTextW(button, name.data());
                }
                break;
            case TYPE_RADIO: {
                const int v = block_->GetInt(def.ID, t);
                for (std::size_t k = 0; k < def.ctrl_IDs.size(); ++k)
                    CheckDlgButton(page_, def.ctrl_IDs[k],
                                   static_cast<int>(k) == v ? BST_CHECKED : BST_UNCHECKED);
                break;
            }
            case TYPE_INT_COMBOBOX: {
                const int v = block_->GetInt(def.ID, t);
                const auto it = std::find(def.combo_vals.begin(), def.combo_vals.end(), v);
                const int index =
                    it == def.combo_vals.end() ? -1 : static_cast<int>(it - def.combo_vals.begin());
                SendDlgItemMessageW(page_, def.ctrl_IDs[0], CB_SETCURSEL,
                                    static_cast<WPARAM>(index), 0);
                break;
            }
        }
    }

    // The parameter a control shows, or null.
    const ParamDef* Bound(int ctrl, int controlType) {
        ParamBlockDesc2* desc = Desc();
        for (int i = 0; i < desc->Count(); ++i) {
            const ParamDef& def = desc->GetParamDefByIndex(i);
            if (def.ctrl_type != controlType) continue;
            if (std::find(def.ctrl_IDs.begin(), def.ctrl_IDs.end(), ctrl) != def.ctrl_IDs.end())
                return &def;
        }
        return nullptr;
    }

    void Command(int ctrl, int code) {
        if (!block_) return;
        const TimeValue t = Time();
        if (code == BN_CLICKED) {
            if (const ParamDef* def = Bound(ctrl, TYPE_SINGLECHEKBOX)) {
                block_->SetValue(def->ID, t,
                                 IsDlgButtonChecked(page_, ctrl) == BST_CHECKED ? 1 : 0);
            } else if (const ParamDef* radio = Bound(ctrl, TYPE_RADIO)) {
                const auto k = std::find(radio->ctrl_IDs.begin(), radio->ctrl_IDs.end(), ctrl) -
                               radio->ctrl_IDs.begin();
                block_->SetValue(radio->ID, t, static_cast<int>(k));
                Show(*radio);
            }
        } else if (code == CBN_SELCHANGE) {
            if (const ParamDef* def = Bound(ctrl, TYPE_INT_COMBOBOX)) {
                const auto sel = SendDlgItemMessageW(page_, ctrl, CB_GETCURSEL, 0, 0);
                if (sel >= 0 && sel < static_cast<LRESULT>(def->combo_vals.size()))
                    block_->SetValue(def->ID, t, def->combo_vals[sel]);
            }
        }
    }

    void SpinnerChanged(int ctrl, HWND spinner) {
        const ParamDef* def = block_ ? Bound(ctrl, TYPE_SPINNER) : nullptr;
        if (!def) return;
        const float v = winhost::GetSpinnerValue(spinner);
        if (def->type == TYPE_INT || def->type == TYPE_BOOL)
            block_->SetValue(def->ID, Time(), static_cast<int>(std::lround(v)));
        else
            block_->SetValue(def->ID, Time(), v);
        // The block keeps the value within the range: show what it kept.
        Show(*def);
    }

    void SwatchChanged(int ctrl, HWND swatch) {
        const ParamDef* def = block_ ? Bound(ctrl, TYPE_COLORSWATCH) : nullptr;
        if (!def) return;
        const COLORREF c = winhost::GetSwatchColor(swatch);
        block_->SetValue(
            def->ID, Time(),
            Color(GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f));
    }

    IParamBlock2* block_;
    ParamBlockDesc2* desc_;
    IMtlParams* ip_;
    MapID id_;
    ParamMap2UserDlgProc* proc_;
    HWND page_ = nullptr;
    TimeValue time_ = 0;
    bool hasTime_ = false;
};

INT_PTR CALLBACK ParamMap2DlgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The map keeps itself in the page's user data from WM_INITDIALOG on.
    if (msg == WM_INITDIALOG) SetWindowLongPtrW(hWnd, GWLP_USERDATA, lParam);
    auto* map = reinterpret_cast<ParamMap2*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    return map ? map->Message(hWnd, msg, wParam, lParam) : FALSE;
}

// The panel of one object: its maps, the first the master.
class AutoMParamDlg : public IAutoMParamDlg {
public:
    AutoMParamDlg(ClassDesc2* cd, ReferenceTarget* thing, IMtlParams* ip)
        : cd_(cd), thing_(thing), ip_(ip) {}
    ~AutoMParamDlg() override {
        for (ParamMap2* m : maps_) delete m;
        for (ParamDlg* d : dlgs_) d->DeleteThis();
    }
    void Add(ParamMap2* map) { maps_.push_back(map); }

    Class_ID ClassID() override { return cd_->ClassID(); }
    void SetThing(ReferenceTarget* m) override {
        thing_ = m;
        auto* anim = static_cast<Animatable*>(m);
        for (ParamMap2* map : maps_) {
            if (ParamBlockDesc2* desc = map->GetDesc())
                map->SetParamBlock(anim->GetParamBlockByID(desc->ID));
            if (ParamMap2UserDlgProc* proc = map->GetUserDlgProc()) proc->SetThing(m);
        }
    }
    ReferenceTarget* GetThing() override { return thing_; }
    void SetTime(TimeValue t) override {
        for (ParamMap2* map : maps_) map->UpdateUI(t);
    }
    void ReloadDialog() override { InvalidateUI(); }
    void DeleteThis() override { delete this; }
    void ActivateDlg(BOOL) override {}

    void InvalidateUI() override {
        for (ParamMap2* map : maps_) map->Invalidate();
    }
    void MtlChanged() override {
        if (ip_) ip_->MtlChanged();
    }
    int NumDlgs() override { return static_cast<int>(dlgs_.size()); }
    void AddDlg(ParamDlg* dlg) override {
        if (dlg) dlgs_.push_back(dlg);
    }
    ParamDlg* GetDlg(int i) override { return i >= 0 && i < NumDlgs() ? dlgs_[i] : nullptr; }
    void SetDlg(int i, ParamDlg* dlg) override {
        if (i >= 0 && i < NumDlgs()) dlgs_[i] = dlg;
    }
    void DeleteDlg(ParamDlg* dlg) override {
        const auto it = std::find(dlgs_.begin(), dlgs_.end(), dlg);
        if (it == dlgs_.end()) return;
        dlgs_.erase(it);
        dlg->DeleteThis();
    }
    IParamMap2* GetMap() override { return maps_.empty() ? nullptr : maps_.front(); }

private:
    ClassDesc2* cd_;
    ReferenceTarget* thing_;
    IMtlParams* ip_;
    std::vector<ParamMap2*> maps_;
    std::vector<ParamDlg*> dlgs_;
};

}  // namespace

IParamMap2* CreateMParamMap2(IParamBlock2* pb, IMtlParams* ip, HINSTANCE hInst, HWND hmedit, void*,
                             void*, MapID map_id, const MCHAR* dlgTemplate, const MCHAR* title,
                             DWORD flags, ParamMap2UserDlgProc* dlgProc) {
    if (!pb || !pb->GetDesc()) return nullptr;
    auto* map = new ParamMap2(pb, ip, map_id, dlgProc);
    if (ClassDesc2* cd = pb->GetDesc()->cd) cd->AddParamMap(map);
    HWND page = ip ? ip->AddRollupPage(hInst, dlgTemplate, ParamMap2DlgProc, title,
                                       reinterpret_cast<LPARAM>(map), flags)
                   : CreateDialogParamW(hInst, dlgTemplate, hmedit, ParamMap2DlgProc,
                                        reinterpret_cast<LPARAM>(map));
    if (!page) {
        delete map;
        return nullptr;
    }
    map->Open(page);
    return map;
}

void DestroyMParamMap2(IParamMap2* m) { delete static_cast<ParamMap2*>(m); }

IAutoMParamDlg* ClassDesc2::CreateParamDlgs(HWND hwMtlEdit, IMtlParams* imp, ReferenceTarget* obj) {
    if (!obj) return nullptr;
    AutoMParamDlg* dlg = nullptr;
    for (ParamBlockDesc2* pbd : pbDescs_) {
        if (!(pbd->flags & P_AUTO_UI)) continue;
        IParamBlock2* block = obj->GetParamBlockByID(pbd->ID);
        if (!block) continue;
        // A procedure belongs to one map: the one the descriptor names may still serve
        // a panel open elsewhere, and is not shared with this one.
        ParamMap2UserDlgProc* proc = pbd->dlgProc;
        for (IParamMap2* open : paramMaps_)
            if (proc && open->GetUserDlgProc() == proc) proc = nullptr;
        const MCHAR* title = GetRsrcString(pbd->title);
        const std::wstring titleCopy = title ? title : L"";
        IParamMap2* map = CreateMParamMap2(block, imp, HInstance(), hwMtlEdit, nullptr, nullptr, 0,
                                           MAKEINTRESOURCEW(pbd->dlg_template), titleCopy.c_str(),
                                           static_cast<DWORD>(pbd->rollup_flags), proc);
        if (!map) continue;
        if (!dlg) dlg = new AutoMParamDlg(this, obj, imp);
        dlg->Add(static_cast<ParamMap2*>(map));
    }
    return dlg;
}

// With panels of the class open in two editors, the one opened last: it is the one
// whose creator asks for it next.
IParamMap2* ClassDesc2::GetParamMap(ParamBlockDesc2* pbd, MapID id) {
    for (auto it = paramMaps_.rbegin(); it != paramMaps_.rend(); ++it)
        if ((*it)->GetDesc() == pbd && (*it)->GetMapID() == id) return *it;
    return nullptr;
}

void ClassDesc2::AddParamMap(IParamMap2* map) {
    if (map && std::find(paramMaps_.begin(), paramMaps_.end(), map) == paramMaps_.end())
        paramMaps_.push_back(map);
}

void ClassDesc2::RemoveParamMap(IParamMap2* map) {
    paramMaps_.erase(std::remove(paramMaps_.begin(), paramMaps_.end(), map), paramMaps_.end());
}
