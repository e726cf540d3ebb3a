#include "param_text.h"

#include "number_text.h"
#include "text.h"

#include "normal_bump.h"
#include "stdmat.h"
#include "texmap.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string ItemText(ClassDesc* cd, StringResID id) {
    const MCHAR* s = cd ? cd->GetRsrcString(id) : nullptr;
    if (s) return ToUtf8(s);
    std::string unknown = "#";
    unknown += std::to_string(id);
    return unknown;
}

std::string ChoiceList(ClassDesc* cd, const ParamDef& def) {
    std::string list;
    for (std::size_t k = 0; k < def.combo_items.size(); ++k) {
        if (k) list += ", ";
        list += '"';
        list += ItemText(cd, def.combo_items[k]);
        list += '"';
    }
    return list;
}

int FindParam(ParamBlockDesc2* desc, const std::string& name) {
    int index = desc->NameToIndex(FromUtf8(name).c_str());
    // Two internal names end in a comma, which is easily left out on a command line.
    if (index < 0) index = desc->NameToIndex(FromUtf8(name + ",").c_str());
    return index;
}

}  // namespace

bool ParseSetting(const std::string& text, Setting* setting, std::string* error) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) {
        *error = "'" + text + "' is not of the form NAME=VALUE";
        return false;
    }
    setting->name = Trim(text.substr(0, eq));
    setting->value = text.substr(eq + 1);
    return true;
}

bool ApplySetting(IParamBlock2* block, ClassDesc* cd, const Setting& setting, TimeValue t,
                  std::string* error, std::string* warning) {
    ParamBlockDesc2* desc = block->GetDesc();
    const int index = FindParam(desc, setting.name);
    if (index < 0) {
        *error = "unknown parameter '" + setting.name + "' (see 'lumra show' for the names)";
        return false;
    }
    const ParamDef& def = desc->GetParamDefByIndex(index);
    const std::string name = ToUtf8(def.int_name);
    const std::string& text = setting.value;
    auto refused = [&](const std::string& why) {
        *error = name + ": '" + text + "' " + why;
        return false;
    };
    auto malformed = [&](const std::string& expected) { return refused("is not " + expected); };
    std::string why;
    BOOL ok = FALSE;
    switch (def.type) {
        case TYPE_FLOAT: {
            float v = 0.0f;
            if (!ParseFloatText(text, &v, &why)) return refused(why);
            ok = block->SetValue(def.ID, t, v);
            const float kept = block->GetFloat(def.ID, t);
            if (ok && kept != v) {
                *warning = name + ": " + FormatFloat(v) + " is outside its range " +
                           FormatParamRange(def) + "; kept at " + FormatFloat(kept);
            }
            break;
        }
        case TYPE_RGBA: {
            Color c;
            if (!ParseColorText(text, &c, &why)) return refused(why);
            ok = block->SetValue(def.ID, t, c);
            break;
        }
        case TYPE_BOOL: {
            const std::string v = Lower(Trim(text));
            if (v != "true" && v != "false" && v != "1" && v != "0")
                return malformed("a switch (true, false, 1 or 0)");
            ok = block->SetValue(def.ID, t, (v == "true" || v == "1") ? 1 : 0);
            break;
        }
        case TYPE_INT: {
            int v = 0;
            if (def.ctrl_type == TYPE_INT_COMBOBOX) {
                bool found = false;
                for (std::size_t k = 0; k < def.combo_items.size() && !found; ++k) {
                    if (Lower(ItemText(cd, def.combo_items[k])) == Lower(Trim(text))) {
                        v = def.combo_vals[k];
                        found = true;
                    }
                }
                if (!found) {
                    if (!ParseIntText(text, &v, &why) || v < 0 ||
                        v >= static_cast<int>(def.combo_items.size()))
                        return malformed("one of " + ChoiceList(cd, def) +
                                         " or an index from 0 to " +
                                         std::to_string(def.combo_items.size() - 1));
                }
            } else if (!ParseIntText(text, &v, &why)) {
                return refused(why);
            } else if (def.ctrl_type == TYPE_RADIO &&
                       (v < 0 || v >= static_cast<int>(def.ctrl_IDs.size()))) {
                return malformed("0 or 1");
            }
            ok = block->SetValue(def.ID, t, v);
            const int kept = block->GetInt(def.ID, t);
            if (ok && kept != v) {
                *warning = name + ": " + std::to_string(v) + " is outside its range " +
                           FormatParamRange(def) + "; kept at " + std::to_string(kept);
            }
            break;
        }
        case TYPE_TEXMAP:
            *error = name + " is a map parameter; give maps with --map " + name + "=FILE";
            return false;
        default:
            *error = name + ": parameters of this type cannot be set here";
            return false;
    }
    if (!ok) {
        *error = name + ": the parameter block refused the value";
        return false;
    }
    return true;
}

bool ApplyMapSetting(IParamBlock2* block, const Setting& setting, TimeValue t, std::string* error) {
    ParamBlockDesc2* desc = block->GetDesc();
    const int index = FindParam(desc, setting.name);
    if (index < 0) {
        *error = "unknown parameter '" + setting.name + "' (see 'lumra show' for the names)";
        return false;
    }
    const ParamDef& def = desc->GetParamDefByIndex(index);
    if (def.type != TYPE_TEXMAP) {
        *error = ToUtf8(def.int_name) + " is not a map parameter; its value is given with --set";
        return false;
    }
    if (Trim(setting.value).empty()) {
        *error = ToUtf8(def.int_name) + ": no image file given";
        return false;
    }
    // "normal:FILE" wraps a tangent-space normal map in the host's Normal Bump map.
    static const std::string kNormalPrefix = "normal:";
    const bool normalMap = setting.value.rfind(kNormalPrefix, 0) == 0;
    const std::wstring file =
        FromUtf8(normalMap ? setting.value.substr(kNormalPrefix.size()) : setting.value);
    BitmapTex* bitmap = NewDefaultBitmapTex();
    if (!bitmap) {
        *error = "the host could not make a bitmap texture";
        return false;
    }
    bitmap->SetMapName(file.c_str(), false);
    MSTR name;
    SplitFilename(MSTR(file.c_str()), nullptr, &name, nullptr);
    bitmap->SetName(name);
    Texmap* map = normalMap ? NewNormalBumpTex(bitmap) : bitmap;
    if (!map) {
        bitmap->DeleteMe();
        *error = "the host could not make a Normal Bump map";
        return false;
    }
    map->SetName(name);
    if (!block->SetValue(def.ID, t, map)) {
        map->DeleteMe();
        *error = ToUtf8(def.int_name) + ": the parameter block refused the map";
        return false;
    }
    return true;
}

std::string FormatParamType(const ParamDef& def) {
    switch (def.type) {
        case TYPE_FLOAT:
            return "float";
        case TYPE_INT:
            return "int";
        case TYPE_RGBA:
            return "rgb";
        case TYPE_BOOL:
            return "bool";
        case TYPE_TEXMAP:
            return "texmap";
        default:
            return "type " + std::to_string(def.type);
    }
}

std::string FormatParamRange(const ParamDef& def) {
    if (!def.has_range) return "-";
    if (def.type == TYPE_INT)
        return std::to_string(def.range_low.i) + " .. " + std::to_string(def.range_high.i);
    return FormatFloat(def.range_low.f) + " .. " + FormatFloat(def.range_high.f);
}

std::string FormatMap(Texmap* map) {
    if (!map) return "none";
    MSTR className;
    map->GetClassName(className);
    std::string text = "\"";
    text += EscapeControls(ToUtf8(map->GetName().str()));
    text += "\" (";
    text += ToUtf8(className.str());
    text += ")";
    return text;
}

std::string FormatParamValue(IParamBlock2* block, ClassDesc* cd, const ParamDef& def, TimeValue t) {
    switch (def.type) {
        case TYPE_FLOAT:
            return FormatFloat(block->GetFloat(def.ID, t));
        case TYPE_RGBA: {
            const Color c = block->GetColor(def.ID, t);
            return FormatFloat(c.r) + "," + FormatFloat(c.g) + "," + FormatFloat(c.b);
        }
        case TYPE_BOOL:
            return block->GetInt(def.ID, t) ? "true" : "false";
        case TYPE_INT: {
            const int v = block->GetInt(def.ID, t);
            for (std::size_t k = 0; k < def.combo_vals.size(); ++k) {
                if (def.combo_vals[k] == v)
                    return std::to_string(v) + " (" + ItemText(cd, def.combo_items[k]) + ")";
            }
            return std::to_string(v);
        }
        case TYPE_TEXMAP:
            return FormatMap(block->GetTexmap(def.ID, t));
        default:
            return "?";
    }
}
