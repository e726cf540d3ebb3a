// Produces the host declaration of the material's parameter block from the table:
// the SDK's variable argument list, item by item, for one ParamBlockDesc2
// constructor call.
#pragma once

#include "material/param_table.h"

#include <tuple>
#include <utility>

namespace param_declaration {

// The tagged items of row I, as the host reads them: id, internal name, type,
// flags and label; then default, range and control binding (or, for a map, its
// reference and sub-texture numbers and its button); then p_end.
template <std::size_t I>
constexpr auto RowItems() {
    constexpr ParamSpec p = kParamTable[I];
    const auto head = std::make_tuple(static_cast<int>(p.id), p.name, static_cast<int>(p.type),
                                      p.flags, p.label);
    if constexpr (p.control == ParamControl::MapButton) {
        return std::tuple_cat(head, std::make_tuple(p_refno, p.slot, p_subtexno, p.slot, p_ui,
                                                    TYPE_TEXMAPBUTTON, p.ctrl[0], p_end));
    } else if constexpr (p.control == ParamControl::Spinner) {
        return std::tuple_cat(
            head, std::make_tuple(p_default, static_cast<double>(p.defFloat)),
            std::make_tuple(p_range, static_cast<double>(p.low), static_cast<double>(p.high)),
            std::make_tuple(p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, p.ctrl[0], p.ctrl[1],
                            static_cast<double>(p.scale), p_end));
    } else if constexpr (p.control == ParamControl::Swatch) {
        return std::tuple_cat(head, std::make_tuple(p_default, p.defColor, p_ui,
                                                    TYPE_COLORSWATCH, p.ctrl[0], p_end));
    } else if constexpr (p.control == ParamControl::CheckBox) {
        return std::tuple_cat(head, std::make_tuple(p_default, p.defInt, p_ui,
                                                    TYPE_SINGLECHEKBOX, p.ctrl[0], p_end));
    } else if constexpr (p.control == ParamControl::Radio) {
        return std::tuple_cat(head, std::make_tuple(p_default, p.defInt, p_ui, TYPE_RADIO, 2,
                                                    p.ctrl[0], p.ctrl[1], p_end));
    } else {
        // A combo box: its items' string ids, then the tooltip tag with the label.
        const auto items = []<std::size_t... K>(std::index_sequence<K...>) {
            return std::make_tuple(kParamTable[I].items[K]...);
        }(std::make_index_sequence<static_cast<std::size_t>(p.itemCount)>{});
        return std::tuple_cat(
            head, std::make_tuple(p_default, p.defInt, p_ui, TYPE_INT_COMBOBOX, p.ctrl[0],
                                  p.itemCount),
            items, std::make_tuple(p_tooltip, p.label, p_end));
    }
}

// Appends the items of rows I, I+1, ... to those already gathered, and finally
// makes the one constructor call with all of them and the closing p_end.
template <std::size_t I, class... Items>
ParamBlockDesc2 DeclareFrom(ClassDesc2* classDesc, int refNo, int dialogId, int titleId,
                            Items... items) {
    if constexpr (I == kParamTable.size()) {
        return ParamBlockDesc2(kLumraParamBlockId, L"parameters", 0, classDesc,
                               P_AUTO_CONSTRUCT + P_AUTO_UI, refNo, dialogId, titleId, 0, 0,
                               static_cast<ParamMap2UserDlgProc*>(nullptr), items..., p_end);
    } else {
        return std::apply(
            [&](auto... row) {
                return DeclareFrom<I + 1>(classDesc, refNo, dialogId, titleId, items..., row...);
            },
            RowItems<I>());
    }
}

}  // namespace param_declaration

// Constructs the block descriptor "parameters" (block id 0, automatically built as
// reference refNo and shown through dialog dialogId titled by string titleId) and
// registers it with classDesc.
inline ParamBlockDesc2 DeclareLumraParamBlock(ClassDesc2* classDesc, int refNo, int dialogId,
                                              int titleId) {
    return param_declaration::DeclareFrom<0>(classDesc, refNo, dialogId, titleId);
}
