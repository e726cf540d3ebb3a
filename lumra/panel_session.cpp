#include "panel_session.h"

#include "number_text.h"
#include "text.h"

#include "iparamb2.h"
#include "stdmat.h"
#include "strclass.h"
#include "winui.h"

#include <climits>

namespace {

bool ParseCoordinate(const std::string& text, LONG* value) {
    int v = 0;
    std::string why;
    if (!ParseIntText(text, &v, &why) || v < INT_MIN / 2 || v > INT_MAX / 2) return false;
    *value = static_cast<LONG>(v);
    return true;
}

}  // namespace

bool ParsePanelDrop(const std::string& text, PanelDrop* drop, std::string* error) {
    const auto eq = text.find('=');
    const auto comma = text.find(',');
    if (eq == std::string::npos || comma == std::string::npos || comma > eq ||
        !ParseCoordinate(text.substr(0, comma), &drop->at.x) ||
        !ParseCoordinate(text.substr(comma + 1, eq - comma - 1), &drop->at.y) ||
        eq + 1 == text.size()) {
        *error = "'" + text + "' is not X,Y=FILE (a point of the panel in pixels and a file)";
        return false;
    }
    drop->file = text.substr(eq + 1);
    return true;
}

std::string DescribeDrop(const DropOutcome& o) {
    std::string text = std::to_string(o.drop.at.x) + "," + std::to_string(o.drop.at.y) + " " +
                       EscapeControls(o.drop.file) + ": ";
    if (o.slot < 0) return text + "no map button takes it; nothing changed";
    return text + "map slot " + std::to_string(o.slot) + " (" + EscapeControls(o.slotName) +
           ") holds the bitmap texture '" + EscapeControls(o.textureName) + "'";
}

bool PanelSession::Open(Mtl* mtl, std::string* error) {
    mtl_ = mtl;
    if (!editor_.Open(mtl) || editor_.Pages().empty()) {
        *error = "the material made no panel";
        return false;
    }
    return true;
}

HWND PanelSession::Page() const {
    return editor_.Pages().empty() ? nullptr : editor_.Pages().front();
}

DropOutcome PanelSession::Drop(const PanelDrop& drop) {
    DropOutcome outcome;
    outcome.drop = drop;
    std::vector<Texmap*> before;
    for (int i = 0; i < mtl_->NumSubTexmaps(); ++i) before.push_back(mtl_->GetSubTexmap(i));
    winhost::DropFiles(Page(), drop.at, {FromUtf8(drop.file)});
    for (int i = 0; i < mtl_->NumSubTexmaps(); ++i) {
        Texmap* now = mtl_->GetSubTexmap(i);
        if (now == before[i]) continue;
        outcome.slot = i;
        outcome.slotName = ToUtf8(mtl_->GetSubTexmapSlotName(i).data());
        outcome.textureName = now ? ToUtf8(now->GetName().data()) : "";
        break;
    }
    return outcome;
}

bool ApplyPanelDrops(Mtl* mtl, const std::vector<PanelDrop>& drops,
                     std::vector<DropOutcome>* outcomes, std::string* error) {
    PanelSession session;
    if (!session.Open(mtl, error)) return false;
    for (const PanelDrop& d : drops) outcomes->push_back(session.Drop(d));
    return true;
}
