// Reading a parameter-block declaration from the SDK's tagged argument list.
#include "iparamb2.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

bool IsTag(unsigned int v, ParamTags tag) { return v == tag; }

std::string Narrow(const MCHAR* s) {
    std::string out;
    for (; s && *s; ++s) out += (*s < 0x80) ? static_cast<char>(*s) : '?';
    return out;
}

std::string Hex(unsigned int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

bool IsFloatType(ParamType2 t) {
    return t == TYPE_FLOAT || t == TYPE_ANGLE || t == TYPE_PCNT_FRAC || t == TYPE_WORLD;
}
bool IsIntType(ParamType2 t) { return t == TYPE_INT || t == TYPE_BOOL; }
bool IsColorType(ParamType2 t) { return t == TYPE_RGBA || t == TYPE_POINT3 || t == TYPE_FRGBA; }

}  // namespace

ParamBlockDesc2::ParamBlockDesc2(BlockID id, const MCHAR* intName, StringResID localName,
                                 ClassDesc2* classDesc, USHORT blockFlags, ...)
    : ID(id), int_name(intName), local_name(localName), cd(classDesc), flags(blockFlags) {
    va_list ap;
    va_start(ap, blockFlags);

    if (flags & P_VERSION) version = static_cast<DWORD>(va_arg(ap, int));
    if (flags & P_AUTO_CONSTRUCT) ref_no = static_cast<short>(va_arg(ap, int));
    if (flags & P_AUTO_UI) {
        dlg_template = va_arg(ap, int);
        title = va_arg(ap, int);
        test_flags = va_arg(ap, int);
        rollup_flags = va_arg(ap, int);
        dlgProc = va_arg(ap, ParamMap2UserDlgProc*);
    }
    if (flags & P_HASCATEGORY) category = va_arg(ap, int);

    // Parameters until the closing p_end. The list carries no count, so an item
    // that does not fit the grammar ends the reading: nothing after it can be
    // trusted.
    for (;;) {
        const unsigned int first = va_arg(ap, unsigned int);
        if (IsTag(first, p_end)) break;
        ParamDef def;
        def.ID = static_cast<ParamID>(first);
        def.int_name = va_arg(ap, const MCHAR*);
        const int rawType = va_arg(ap, int);
        if (is_tab(rawType)) {
            Fail("table parameters are not supported");
            break;
        }
        def.type = static_cast<ParamType2>(rawType);
        def.flags = va_arg(ap, int);
        def.local_name = va_arg(ap, int);
        if (indexOf_.count(def.ID)) {
            Fail("parameter id " + std::to_string(def.ID) + " is declared twice");
            break;
        }

        bool ok = true;
        for (;;) {
            const unsigned int tag = va_arg(ap, unsigned int);
            if (IsTag(tag, p_end)) break;
            if (IsTag(tag, p_default)) {
                if (IsFloatType(def.type))
                    def.def.f = static_cast<float>(va_arg(ap, double));
                else if (IsIntType(def.type))
                    def.def.i = va_arg(ap, int);
                else if (IsColorType(def.type))
                    def.def.c = va_arg(ap, Color);
                else {
                    ok = false;
                    Fail("no default can be given to parameter '" + Narrow(def.int_name) + "'");
                }
            } else if (IsTag(tag, p_range)) {
                def.has_range = true;
                if (IsFloatType(def.type)) {
                    def.range_low.f = static_cast<float>(va_arg(ap, double));
                    def.range_high.f = static_cast<float>(va_arg(ap, double));
                } else if (IsIntType(def.type)) {
                    def.range_low.i = va_arg(ap, int);
                    def.range_high.i = va_arg(ap, int);
                } else {
                    ok = false;
                    Fail("no range can be given to parameter '" + Narrow(def.int_name) + "'");
                }
            } else if (IsTag(tag, p_ui)) {
                def.ctrl_type = va_arg(ap, int);
                switch (def.ctrl_type) {
                    case TYPE_SPINNER:
                        def.spin_type = static_cast<EditSpinnerType>(va_arg(ap, int));
                        def.ctrl_IDs.push_back(va_arg(ap, int));
                        def.ctrl_IDs.push_back(va_arg(ap, int));
                        def.scale = static_cast<float>(va_arg(ap, double));
                        break;
                    case TYPE_SINGLECHEKBOX:
                    case TYPE_COLORSWATCH:
                    case TYPE_EDITBOX:
                    case TYPE_CHECKBUTTON:
                    case TYPE_PICKNODEBUTTON:
                    case TYPE_TEXMAPBUTTON:
                    case TYPE_MTLBUTTON:
                        def.ctrl_IDs.push_back(va_arg(ap, int));
                        break;
                    case TYPE_RADIO:
                    case TYPE_MULTICHEKBOX: {
                        const int n = va_arg(ap, int);
                        for (int k = 0; k < n; ++k) def.ctrl_IDs.push_back(va_arg(ap, int));
                        break;
                    }
                    case TYPE_INT_COMBOBOX: {
                        def.ctrl_IDs.push_back(va_arg(ap, int));
                        const int n = va_arg(ap, int);
                        for (int k = 0; k < n; ++k) {
                            def.combo_items.push_back(va_arg(ap, int));
                            def.combo_vals.push_back(k);
                        }
                        break;
                    }
                    default:
                        ok = false;
                        Fail("unknown control type " + std::to_string(def.ctrl_type) +
                             " for parameter '" + Narrow(def.int_name) + "'");
                }
            } else if (IsTag(tag, p_vals)) {
                for (auto& v : def.combo_vals) v = va_arg(ap, int);
            } else if (IsTag(tag, p_refno)) {
                def.ref_no = static_cast<short>(va_arg(ap, int));
            } else if (IsTag(tag, p_subtexno)) {
                def.subtexno = static_cast<short>(va_arg(ap, int));
            } else if (IsTag(tag, p_tooltip)) {
                def.tooltip = va_arg(ap, int);
            } else {
                ok = false;
                Fail("unsupported tag " + Hex(tag) + " in parameter '" + Narrow(def.int_name) +
                     "'");
            }
            if (!ok) break;
        }
        if (!ok) break;
        indexOf_[def.ID] = Count();
        paramdefs_.push_back(def);
    }
    va_end(ap);

    if (cd) cd->AddParamBlockDesc(this);
}

ParamBlockDesc2::~ParamBlockDesc2() = default;

void ParamBlockDesc2::Fail(const std::string& message) {
    error_ = "parameter block '" + Narrow(int_name) + "': " + message;
    std::fprintf(stderr, "%s\n", error_.c_str());
}

int ParamBlockDesc2::IDtoIndex(ParamID id) const {
    auto it = indexOf_.find(id);
    return it == indexOf_.end() ? -1 : it->second;
}

ParamID ParamBlockDesc2::IndextoID(int i) const {
    return (i >= 0 && i < Count()) ? paramdefs_[i].ID : static_cast<ParamID>(-1);
}

int ParamBlockDesc2::NameToIndex(const MCHAR* name) const {
    if (!name) return -1;
    for (int i = 0; i < Count(); ++i) {
        if (paramdefs_[i].int_name && std::wstring(paramdefs_[i].int_name) == name) return i;
    }
    return -1;
}

ParamDef& ParamBlockDesc2::GetParamDef(ParamID id) {
    // As in the host, asking for an undeclared id is the caller's error; answer a
    // definition that matches nothing rather than reading out of bounds.
    static ParamDef none;
    const int i = IDtoIndex(id);
    if (i < 0) {
        none = ParamDef();
        return none;
    }
    return paramdefs_[i];
}

void ParamBlockDesc2::SetClassDesc(ClassDesc2* classDesc) {
    cd = classDesc;
    if (cd) cd->AddParamBlockDesc(this);
}

void ParamBlockDesc2::SetUserDlgProc(MapID map_id, ParamMap2UserDlgProc* proc) {
    dlgProc = proc;
    if (IParamMap2* open = cd ? cd->GetParamMap(this, map_id) : nullptr) open->SetUserDlgProc(proc);
}
ParamMap2UserDlgProc* ParamBlockDesc2::GetUserDlgProc(MapID) const { return dlgProc; }

void ParamBlockDesc2::InvalidateUI(ParamID id, int tabIndex) {
    if (cd) cd->InvalidateUI(this, id, tabIndex);
}
