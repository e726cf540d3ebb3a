#include "panel_controls.h"

#include "lumra/text.h"

#include "iparamb2.h"
#include "paramtype.h"
#include "winui.h"

#include <cmath>
#include <map>

namespace {

ControlKind KindOf(const std::wstring& cls, DWORD style) {
    if (cls == L"BUTTON") {
        const DWORD type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX) return ControlKind::Group;
        if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) return ControlKind::Check;
        return ControlKind::Other;
    }
    if (cls == L"STATIC") return ControlKind::Label;
    if (cls == L"COMBOBOX") return ControlKind::Combo;
    if (cls == L"CustEdit") return ControlKind::Edit;
    if (cls == L"SpinnerControl") return ControlKind::Spinner;
    if (cls == L"ColorSwatch") return ControlKind::Swatch;
    if (cls == L"CustButton") return ControlKind::MapButton;
    return ControlKind::Other;
}

std::wstring WindowText(HWND w) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Edit and spinner pairs of the block's spinner parameters: each one's partner.
std::map<int, int> SpinnerPairs(IParamBlock2* block, std::map<int, float>* steps = nullptr) {
    std::map<int, int> pairs;
    ParamBlockDesc2* desc = block ? block->GetDesc() : nullptr;
    if (!desc) return pairs;
    for (int i = 0; i < desc->Count(); ++i) {
        const ParamDef& def = desc->GetParamDefByIndex(i);
        if (def.ctrl_type != TYPE_SPINNER || def.ctrl_IDs.size() < 2) continue;
        pairs[def.ctrl_IDs[0]] = def.ctrl_IDs[1];
        pairs[def.ctrl_IDs[1]] = def.ctrl_IDs[0];
        if (steps) (*steps)[def.ctrl_IDs[1]] = def.scale;
    }
    return pairs;
}

}  // namespace

const char* ControlKindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Group:
            return "group";
        case ControlKind::Label:
            return "label";
        case ControlKind::Edit:
            return "edit";
        case ControlKind::Spinner:
            return "spinner";
        case ControlKind::Swatch:
            return "swatch";
        case ControlKind::Check:
            return "check";
        case ControlKind::Combo:
            return "combo";
        case ControlKind::MapButton:
            return "mapbutton";
        case ControlKind::Other:
            break;
    }
    return "other";
}

std::vector<ControlState> ReadPanelControls(HWND panel, IParamBlock2* block) {
    std::map<int, float> steps;
    const std::map<int, int> pairs = SpinnerPairs(block, &steps);
    std::vector<ControlState> controls;
    int index = 0;
    for (HWND w : winhost::ChildWindows(panel)) {
        ControlState c;
        c.index = index++;
        c.id = GetDlgCtrlID(w);
        const std::wstring cls = winhost::WindowClass(w);
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE));
        c.kind = KindOf(cls, style);
        c.cls = ToUtf8(cls);
        c.text = ToUtf8(WindowText(w));
        c.rect = winhost::WindowRectInParent(w);
        c.enabled = IsWindowEnabled(w) != FALSE;
        c.visible = IsWindowVisible(w) != FALSE;
        if (c.kind == ControlKind::Label)
            c.align = (style & SS_RIGHT) ? 2 : (style & SS_CENTER) ? 1 : 0;
        switch (c.kind) {
            case ControlKind::Spinner:
                c.value = winhost::GetSpinnerValue(w);
                break;
            case ControlKind::Swatch:
                c.color = winhost::GetSwatchColor(w);
                break;
            case ControlKind::Check:
                c.checked = SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
                break;
            case ControlKind::Combo: {
                const auto count = SendMessageW(w, CB_GETCOUNT, 0, 0);
                for (LRESULT i = 0; i < count; ++i) {
                    const auto len = SendMessageW(w, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
                    std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(len, 0)) + 1,
                                      L'\0');
                    SendMessageW(w, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(item.data()));
                    item.resize(static_cast<std::size_t>(std::max<LRESULT>(len, 0)));
                    c.items.push_back(ToUtf8(item));
                }
                c.choice = static_cast<int>(SendMessageW(w, CB_GETCURSEL, 0, 0));
                break;
            }
            default:
                break;
        }
        if (const auto p = pairs.find(c.id); p != pairs.end()) c.buddy = p->second;
        if (const auto s = steps.find(c.id); s != steps.end()) c.step = s->second;
        controls.push_back(std::move(c));
    }
    return controls;
}

bool operator==(const ControlState& a, const ControlState& b) {
    return a.index == b.index && a.id == b.id && a.kind == b.kind && a.cls == b.cls &&
           a.text == b.text && a.rect.left == b.rect.left && a.rect.top == b.rect.top &&
           a.rect.right == b.rect.right && a.rect.bottom == b.rect.bottom &&
           a.enabled == b.enabled && a.visible == b.visible && a.align == b.align &&
           a.value == b.value && a.color == b.color && a.checked == b.checked &&
           a.items == b.items && a.choice == b.choice && a.buddy == b.buddy && a.step == b.step;
}

std::vector<ControlState> ChangedControls(const std::vector<ControlState>& before,
                                          const std::vector<ControlState>& after) {
    std::vector<ControlState> changed;
    for (std::size_t i = 0; i < after.size(); ++i)
        if (i >= before.size() || !(before[i] == after[i])) changed.push_back(after[i]);
    return changed;
}

bool ApplyControlEdit(HWND panel, IParamBlock2* block, const ControlEdit& edit,
                      std::string* error) {
    const std::string name = "control " + std::to_string(edit.id);
    HWND w = edit.id > 0 ? GetDlgItem(panel, edit.id) : nullptr;
    if (!w) {
        *error = "the panel has no " + name;
        return false;
    }
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE));
    ControlKind kind = KindOf(winhost::WindowClass(w), style);
    if (kind == ControlKind::Edit) {
        // A number typed into an edit reaches the parameter through its spinner.
        const auto pairs = SpinnerPairs(block);
        const auto p = pairs.find(edit.id);
        HWND spinner = p == pairs.end() ? nullptr : GetDlgItem(panel, p->second);
        if (!spinner) {
            *error = name + " is an edit box of no spinner";
            return false;
        }
        if (!IsWindowVisible(w) || !IsWindowEnabled(w)) {
            *error = name + " is greyed or hidden";
            return false;
        }
        w = spinner;
        kind = ControlKind::Spinner;
    }
    const bool reachable = IsWindowVisible(w) && IsWindowEnabled(w);
    auto wrongValue = [&](const char* wanted) {
        *error = name + " is a " + ControlKindName(kind) + " and takes " + wanted;
        return false;
    };
    switch (kind) {
        case ControlKind::Spinner: {
            if (!edit.number) return wrongValue("a number");
            const double v = *edit.number;
            if (!std::isfinite(v) || !std::isfinite(static_cast<float>(v))) {
                *error = name + ": the value is not a finite single-precision number";
                return false;
            }
            if (!reachable) break;
            return winhost::EnterSpinnerValue(w, static_cast<float>(v)) ||
                   (*error = name + " took no value", false);
        }
        case ControlKind::Swatch:
            if (!edit.color) return wrongValue("a colour #rrggbb");
            if (!reachable) break;
            return winhost::EnterSwatchColor(w, *edit.color) ||
                   (*error = name + " took no colour", false);
        case ControlKind::Check: {
            if (!edit.on) return wrongValue("true or false");
            if (!reachable) break;
            const bool checked = SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (checked == *edit.on) return true;
            return winhost::ClickButton(w) || (*error = name + " took no click", false);
        }
        case ControlKind::Combo: {
            if (!edit.item) return wrongValue("an item's index");
            const auto count = SendMessageW(w, CB_GETCOUNT, 0, 0);
            if (*edit.item < 0 || *edit.item >= count) {
                *error = name + " has no item " + std::to_string(*edit.item) + " (it has " +
                         std::to_string(count) + ")";
                return false;
            }
            if (!reachable) break;
            return winhost::SelectComboItem(w, static_cast<int>(*edit.item)) ||
                   (*error = name + " took no choice", false);
        }
        case ControlKind::MapButton:
            *error = name + " is a map button: drop an image file on it";
            return false;
        default:
            *error = name + " is a " + ControlKindName(kind) + ", which takes no value";
            return false;
    }
    *error = name + " is greyed or hidden";
    return false;
}
