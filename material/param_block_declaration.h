// Produces the host declaration of the material's parameter block from the table:
// the SDK's variable argument list, item by item, for one ParamBlockDesc2
// constructor call.
#pragma once

#include "material/param_table.h"

#include <array>
#include <cstddef>
#include <utility>

namespace param_declaration {

// One item of the argument list, of the type the host reads it as.
struct Item {
    enum class Kind { Tag, Int, Double, Text, Colour };
    Kind kind = Kind::Int;
    unsigned int tag = 0;
    int i = 0;
    double d = 0.0;
    const MCHAR* text = nullptr;
    Color c = Color(0.0f, 0.0f, 0.0f);
};

// Writes the items of every row, in the host's grammar: id, internal name, type,
// flags and label; then default, range and control binding (for a map, its
// reference and sub-texture numbers and its button); then p_end. A last p_end
// closes the list. Sink counts the items or stores them.
template <class Sink>
constexpr void WriteItems(Sink& out) {
    for (const ParamSpec& p : kParamTable) {
        out.Int(p.id);
        out.Text(p.name);
        out.Int(p.type);
        out.Int(p.flags);
        out.Int(p.label);
        switch (p.control) {
            case ParamControl::MapButton:
                out.Tag(p_refno), out.Int(p.slot);
                out.Tag(p_subtexno), out.Int(p.slot);
                out.Tag(p_ui), out.Int(TYPE_TEXMAPBUTTON), out.Int(p.ctrl[0]);
                break;
            case ParamControl::Spinner:
                out.Tag(p_default), out.Double(p.defFloat);
                out.Tag(p_range), out.Double(p.low), out.Double(p.high);
                out.Tag(p_ui), out.Int(TYPE_SPINNER), out.Int(EDITTYPE_FLOAT);
                out.Int(p.ctrl[0]), out.Int(p.ctrl[1]), out.Double(p.scale);
                break;
            case ParamControl::Swatch:
                out.Tag(p_default), out.Colour(p.defColor);
                out.Tag(p_ui), out.Int(TYPE_COLORSWATCH), out.Int(p.ctrl[0]);
                break;
            case ParamControl::CheckBox:
                out.Tag(p_default), out.Int(p.defInt);
                out.Tag(p_ui), out.Int(TYPE_SINGLECHEKBOX), out.Int(p.ctrl[0]);
                break;
            case ParamControl::Radio:
                out.Tag(p_default), out.Int(p.defInt);
                out.Tag(p_ui), out.Int(TYPE_RADIO), out.Int(2), out.Int(p.ctrl[0]),
                    out.Int(p.ctrl[1]);
                break;
            case ParamControl::Combo:
                out.Tag(p_default), out.Int(p.defInt);
                out.Tag(p_ui), out.Int(TYPE_INT_COMBOBOX), out.Int(p.ctrl[0]), out.Int(p.itemCount);
                for (int k = 0; k < p.itemCount; ++k) out.Int(p.items[k]);
                out.Tag(p_tooltip), out.Int(p.label);
                break;
        }
        out.Tag(p_end);
    }
    out.Tag(p_end);
}

struct Counter {
    std::size_t n = 0;
    constexpr void Tag(unsigned int) { ++n; }
    constexpr void Int(int) { ++n; }
    constexpr void Double(double) { ++n; }
    constexpr void Text(const MCHAR*) { ++n; }
    constexpr void Colour(const Color&) { ++n; }
};

template <std::size_t N>
struct Writer {
    std::array<Item, N> items{};
    std::size_t n = 0;
    constexpr void Tag(unsigned int v) { items[n].kind = Item::Kind::Tag, items[n++].tag = v; }
    constexpr void Int(int v) { items[n].kind = Item::Kind::Int, items[n++].i = v; }
    constexpr void Double(double v) { items[n].kind = Item::Kind::Double, items[n++].d = v; }
    constexpr void Text(const MCHAR* v) { items[n].kind = Item::Kind::Text, items[n++].text = v; }
    constexpr void Colour(const Color& v) { items[n].kind = Item::Kind::Colour, items[n++].c = v; }
};

constexpr std::size_t CountItems() {
    Counter counter;
    WriteItems(counter);
    return counter.n;
}

inline constexpr auto kItems = [] {
    Writer<CountItems()> writer;
    WriteItems(writer);
    return writer.items;
}();

// Item K as an argument of its own type: a colour is passed as a Color, a float
// as a double, as the host's declarations pass them.
template <std::size_t K>
constexpr auto Argument() {
    constexpr Item item = kItems[K];
    if constexpr (item.kind == Item::Kind::Tag)
        return item.tag;
    else if constexpr (item.kind == Item::Kind::Int)
        return item.i;
    else if constexpr (item.kind == Item::Kind::Double)
        return item.d;
    else if constexpr (item.kind == Item::Kind::Text)
        return item.text;
    else
        return item.c;
}

template <std::size_t... K>
ParamBlockDesc2 Declare(ClassDesc2* classDesc, int refNo, int dialogId, int titleId,
                        std::index_sequence<K...>) {
    return ParamBlockDesc2(kLumraParamBlockId, L"parameters", 0, classDesc,
                           P_AUTO_CONSTRUCT + P_AUTO_UI, refNo, dialogId, titleId, 0, 0,
                           static_cast<ParamMap2UserDlgProc*>(nullptr), Argument<K>()...);
}

}  // namespace param_declaration

// Constructs the block descriptor "parameters" (block id 0, automatically built as
// reference refNo and shown through dialog dialogId titled by string titleId) and
// registers it with classDesc.
inline ParamBlockDesc2 DeclareLumraParamBlock(ClassDesc2* classDesc, int refNo, int dialogId,
                                              int titleId) {
    return param_declaration::Declare(classDesc, refNo, dialogId, titleId,
                                      std::make_index_sequence<param_declaration::kItems.size()>{});
}
