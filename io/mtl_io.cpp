// The material in scene files: the host's header chunk, the raw block of cached and
// retired values, and the upgrade of blocks stored in the two earlier layouts. The
// references (the parameter block and the maps) are saved and restored by the host.
#include "material/lumra_mtl.h"

#include "io/chunk_ids.h"
#include "io/legacy_layouts.h"
#include "io/raw_values.h"
#include "plugin/class_desc.h"

namespace {

// A field's bytes within the state: a switch is its member's first (low) byte.
void* FieldAddress(CachedState& s, const CachedMember& m) {
    switch (m.kind) {
        case CachedMember::Kind::Color:
            return &(s.*m.c);
        case CachedMember::Kind::Float:
            return &(s.*m.f);
        default:
            return &(s.*m.i);
    }
}

}  // namespace

IOResult LumraMtl::Save(ISave* isave) {
    isave->BeginChunk(kMtlHeaderChunk);
    const IOResult header = MtlBase::Save(isave);
    isave->EndChunk();
    if (header != IO_OK) return header;

    // A write that fails makes the save fail: the file would otherwise lack the
    // values it claims to hold.
    IOResult result = IO_OK;
    isave->BeginChunk(kRawValuesChunk);
    for (const CachedMember& m : kRawValueOrder) {
        ULONG written = 0;
        const ULONG size = static_cast<ULONG>(RawFieldSize(m));
        const IOResult r = isave->Write(FieldAddress(cached, m), size, &written);
        if (r != IO_OK || written != size) {
            result = r != IO_OK ? r : IO_ERROR;
            break;
        }
    }
    isave->EndChunk();
    return result;
}

IOResult LumraMtl::Load(ILoad* iload) {
    while (iload->OpenChunk() == IO_OK) {
        IOResult result = IO_OK;
        switch (iload->CurChunkID()) {
            case kMtlHeaderChunk:
                result = MtlBase::Load(iload);
                break;
            case kRawValuesChunk:
                // Only the last read decides the chunk's result, as files of every
                // version of the material were read.
                for (const CachedMember& m : kRawValueOrder) {
                    ULONG read = 0;
                    result = iload->Read(FieldAddress(cached, m),
                                         static_cast<ULONG>(RawFieldSize(m)), &read);
                }
                break;
            default:
                break;
        }
        iload->CloseChunk();
        if (result != IO_OK) return result;
    }
    // The host runs the upgrade once the whole scene is loaded and the block is
    // back at reference 13; a block of the current layout is left as it is.
    iload->RegisterPostLoadCallback(new ParamBlock2PLCB(
        kLegacyVersions, kNumLegacyVersions, &lumraParamBlockDesc, this, kParamBlockRef));
    return IO_OK;
}
