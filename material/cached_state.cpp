// Refreshing the cached values from the parameter block, and knowing when they
// need it.
#include "material/lumra_mtl.h"

#include "plugin/class_desc.h"

void LumraMtl::Update(TimeValue t, Interval& valid) {
    if (!ivalid.InInterval(t)) {
        ivalid = FOREVER;
        if (pblock) {
            // Each read narrows ivalid to the span over which its value holds; a
            // failed read leaves the member as it was.
            for (const CachedMember& m : kCachedMembers) {
                if (m.source == CachedMember::kLegacy) continue;
                switch (m.kind) {
                    case CachedMember::Kind::Int:
                    case CachedMember::Kind::Bool:
                        pblock->GetValue(m.source, t, cached.*m.i, ivalid, 0);
                        break;
                    case CachedMember::Kind::Color:
                        pblock->GetValue(m.source, t, cached.*m.c, ivalid, 0);
                        break;
                    case CachedMember::Kind::Float:
                        pblock->GetValue(m.source, t, cached.*m.f, ivalid, 0);
                        break;
                }
            }
        }
        NotifyDependents(FOREVER, PART_ALL, REFMSG_DISPLAY_MATERIAL_CHANGE);
        for (Texmap* map : texmaps) {
            if (map) map->Update(t, ivalid);
        }
    }
    valid &= ivalid;
}

// Only the maps' validity counts here: the material's own animation is known to
// Update, not to this query.
Interval LumraMtl::Validity(TimeValue t) {
    Interval valid = FOREVER;
    for (Texmap* map : texmaps) {
        if (map) valid &= map->Validity(t);
    }
    return valid;
}

RefResult LumraMtl::NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&,
                                     RefMessage message, BOOL) {
    if (message == REFMSG_CHANGE) {
        ivalid = NEVER;
        if (hTarget && hTarget == pblock) {
            lumraMaterialClassDesc.InvalidateUI(&lumraParamBlockDesc, pblock->LastNotifyParamID(),
                                                -1);
        }
    }
    return REF_SUCCEED;
}
