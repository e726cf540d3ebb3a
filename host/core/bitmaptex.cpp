#include "bitmaptex.h"

#include "float4.h"
#include "host_paths.h"
#include "latlong.h"

#include "scene_stream.h"
#include "shadecontext.h"
#include "winhost.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_set>
#include <vector>

namespace {

// Texel index i brought into 0 .. n-1 by the end condition. Coordinates are
// tamed first (below), so i lies within one period of the picture and a compare
// or two replaces a division.
inline int LoopIndex(int i, int n) { return i < 0 ? i + n : (i >= n ? i - n : i); }
inline int HoldIndex(int i, int n) { return i < 0 ? 0 : (i >= n ? n - 1 : i); }
inline int EndIndex(int i, int n, int endCondition) {
    switch (endCondition) {
        case END_HOLD:
            return HoldIndex(i, n);
        case END_PINGPONG: {
            const int m = LoopIndex(i, 2 * n);
            return m < n ? m : 2 * n - 1 - m;
        }
        default:
            return LoopIndex(i, n);
    }
}

// floor() for |t| below 2^31, without a library call on processors before SSE4.1.
inline float FastFloor(float t) {
    const float f = static_cast<float>(static_cast<int>(t));
    return f > t ? f - 1.0f : f;
}

// Brings a picture coordinate within one period of the end condition: 0..1 for
// looping and holding, 0..2 for ping-pong. Far-off and non-finite coordinates
// give 0 rather than overflowing the texel arithmetic.
inline float TameCoordinate(float t, int endCondition) {
    if (!(t > -1.0e6f && t < 1.0e6f)) return 0.0f;
    switch (endCondition) {
        case END_HOLD:
            return t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
        case END_PINGPONG:
            return t - 2.0f * FastFloor(0.5f * t);
        default:
            return t - FastFloor(t);
    }
}

// Bilinear lookup at picture coordinates (u, v) within one period of the end
// conditions, v up, texel centres at half steps; endX and endY say what lies
// beyond the left and right, and the bottom and top edges.
inline AColor Bilinear(const HostImage& img, float u, float v, int endX, int endY) {
    const float x = u * static_cast<float>(img.width) - 0.5f;
    const float y = (1.0f - v) * static_cast<float>(img.height) - 0.5f;
    // Tamed coordinates keep x and y above -1, where truncation after adding 1
    // is the floor.
    const int ix = static_cast<int>(x + 1.0f) - 1;
    const int iy = static_cast<int>(y + 1.0f) - 1;
    const float tx = x - static_cast<float>(ix);
    const float ty = y - static_cast<float>(iy);
    const int x0 = EndIndex(ix, img.width, endX);
    const int x1 = EndIndex(ix + 1, img.width, endX);
    const int y0 = EndIndex(iy, img.height, endY);
    const int y1 = EndIndex(iy + 1, img.height, endY);
    const float w00 = (1.0f - tx) * (1.0f - ty);
    const float w10 = tx * (1.0f - ty);
    const float w01 = (1.0f - tx) * ty;
    const float w11 = tx * ty;
    // The four channels at once: p00 w00 + p10 w10 + p01 w01 + p11 w11 per channel.
    const Float4 c = Load4(img.Pixel(x0, y0)) * w00 + Load4(img.Pixel(x1, y0)) * w10 +
                     Load4(img.Pixel(x0, y1)) * w01 + Load4(img.Pixel(x1, y1)) * w11;
    return AColor(c[0], c[1], c[2], c[3]);
}

inline bool IsEnvironment(const UVPlacement& p) { return p.slotType == MAPSLOT_ENVIRON; }

// Picture coordinates of texture coordinates (u, v) under the placement.
inline void PlaceUV(const UVPlacement& p, float u, float v, float& pu, float& pv) {
    pu = (u - p.uOffs - 0.5f) * p.uScl + 0.5f;
    pv = (v - p.vOffs - 0.5f) * p.vScl + 0.5f;
}

inline AColor TextureLookup(const HostImage& img, float pu, float pv, int end) {
    return Bilinear(img, TameCoordinate(pu, end), TameCoordinate(pv, end), end, end);
}

// Environment pictures wrap around the horizon and stop at the poles. dir is
// the world direction.
inline AColor EnvironmentTexels(const HostImage& img, const Point3& dir) {
    float u, v;
    latlong::DirectionToUV(dir, u, v);
    if (!(u >= 0.0f && u <= 1.0f && v >= 0.0f && v <= 1.0f)) u = v = 0.5f;  // not a number
    return Bilinear(img, u, v, END_LOOP, END_HOLD);
}

inline float Mono(const AColor& c) { return (c.r + c.g + c.b) / 3.0f; }

// --- The texture budget of a material -------------------------------------------

std::atomic<std::uint64_t> g_maxMaterialTextureBytes{kDefaultMaxMaterialTextureBytes};

// Admissions one at a time: two textures of one material read on two render threads
// cannot both fit in what is left for one.
std::mutex& BudgetMutex() {
    static std::mutex m;
    return m;
}

// The materials that use `texture`, directly or through maps and parameter blocks.
std::vector<Mtl*> MaterialsUsing(ReferenceTarget* texture) {
    std::vector<Mtl*> materials;
    std::unordered_set<ReferenceMaker*> seen;
    std::vector<ReferenceTarget*> todo = {texture};
    while (!todo.empty()) {
        ReferenceTarget* t = todo.back();
        todo.pop_back();
        for (ReferenceMaker* m : t->Dependents()) {
            if (!m || !seen.insert(m).second) continue;
            if (auto* mtl = dynamic_cast<Mtl*>(m))
                materials.push_back(mtl);
            else if (m->IsRefTarget())
                todo.push_back(static_cast<ReferenceTarget*>(m));
        }
    }
    return materials;
}

// The picture memory of the bitmap textures `maker` reaches, each counted once,
// `except` left out.
std::uint64_t TextureBytesOf(ReferenceMaker* maker, const BMTex* except) {
    std::uint64_t bytes = 0;
    std::unordered_set<ReferenceMaker*> seen = {maker};
    std::vector<ReferenceMaker*> todo = {maker};
    while (!todo.empty()) {
        ReferenceMaker* m = todo.back();
        todo.pop_back();
        if (auto* bitmap = dynamic_cast<BMTex*>(m); bitmap && bitmap != except)
            bytes += bitmap->ImageBytes();
        for (int i = 0; i < m->NumRefs(); ++i)
            if (ReferenceTarget* r = m->GetReference(i); r && seen.insert(r).second)
                todo.push_back(r);
    }
    return bytes;
}

// "64 KB", "256 MB", rounded to the nearest.
std::string Megabytes(std::uint64_t bytes) {
    if (bytes < (std::uint64_t(1) << 20)) return std::to_string((bytes + 512) >> 10) + " KB";
    return std::to_string((bytes + (1 << 19)) >> 20) + " MB";
}

}  // namespace

void SetMaxMaterialTextureBytes(std::uint64_t bytes) { g_maxMaterialTextureBytes = bytes; }
std::uint64_t MaxMaterialTextureBytes() { return g_maxMaterialTextureBytes; }

// --- StdUVGenImpl -------------------------------------------------------------

void StdUVGenImpl::Reset() { placement_ = UVPlacement(); }

RefTargetHandle StdUVGenImpl::Clone(RemapDir& remap) {
    auto* clone = new StdUVGenImpl();
    *static_cast<MtlBase*>(clone) = *this;
    clone->placement_ = placement_;
    BaseClone(this, clone, remap);
    return clone;
}

// --- BMTex --------------------------------------------------------------------

BMTex::BMTex(BOOL loading) : image_(std::make_unique<LoadState>()) {
    if (!loading) ReplaceReference(0, new StdUVGenImpl());
}
BMTex::~BMTex() = default;

void BMTex::SetReference(int i, RefTargetHandle rtarg) {
    if (i != 0) return;
    uvGen_ = dynamic_cast<StdUVGen*>(rtarg);
    uvGenImpl_ = dynamic_cast<StdUVGenImpl*>(rtarg);
}

void BMTex::ForgetImage() {
    image_ = std::make_unique<LoadState>();
    imageBytes_ = 0;
}

bool BMTex::AdmitPicture(int width, int height, std::string& reason) {
    const std::uint64_t bytes =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 16;
    const std::uint64_t budget = MaxMaterialTextureBytes();
    const std::string picture =
        std::to_string(width) + " x " + std::to_string(height) + " pixels take " + Megabytes(bytes);
    std::lock_guard<std::mutex> lock(BudgetMutex());
    const std::vector<Mtl*> materials = MaterialsUsing(this);
    if (materials.empty() && bytes > budget) {
        reason =
            picture + ", more than the " + Megabytes(budget) + " the maps of a material may take";
        return false;
    }
    for (Mtl* mtl : materials) {
        const std::uint64_t others = TextureBytesOf(mtl, this);
        if (others + bytes > budget) {
            reason = picture + ": with the " + Megabytes(others) +
                     " of the other maps of material \"" +
                     winhost::WideToUtf8(mtl->GetName().data()) + "\" that is more than the " +
                     Megabytes(budget) + " the maps of a material may take";
            return false;
        }
    }
    imageBytes_ = bytes;
    return true;
}

void BMTex::SetMapName(const MCHAR* name, bool) {
    mapName_ = name ? name : L"";
    ForgetImage();
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

void BMTex::SetFileGamma(float gamma) {
    if (gamma == fileGamma_) return;
    fileGamma_ = gamma;
    ForgetImage();
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

void BMTex::Reset() {
    mapName_.clear();
    filterType_ = FILTER_PYR;
    alphaSource_ = ALPHA_FILE;
    endCondition_ = END_LOOP;
    alphaAsMono_ = FALSE;
    fileGamma_ = 2.2f;
    ForgetImage();
    if (uvGen_) uvGen_->Reset();
}

void BMTex::Load(LoadState& state) {
    if (mapName_.empty()) return;  // no file chosen yet: black, and nothing to report
    const std::string path = Utf8Path(FileSystemPath(ResolveHostPath(mapName_.c_str())));
    std::string error;
    const ImageAdmission admit = [this](int width, int height, std::string& reason) {
        return AdmitPicture(width, height, reason);
    };
    if (!ReadHostImage(path, state.image, error, fileGamma_, admit)) {
        imageBytes_ = 0;
        // The names come from a scene file or a user: nothing in them may steer the
        // terminal.
        state.error =
            winhost::EscapeControls("cannot read \"" + winhost::WideToUtf8(mapName_.c_str()) +
                                    "\" (" + path + "): " + error);
        std::fputs(("Bitmap texture: " + state.error + "\n").c_str(), stderr);
    }
}

const HostImage& BMTex::Image() {
    LoadState& state = *image_;
    if (!state.ready.load(std::memory_order_acquire)) {
        std::call_once(state.once, [&] {
            Load(state);
            state.ready.store(true, std::memory_order_release);
        });
    }
    return state.image;
}

std::string BMTex::ImageError() {
    LoadState& state = *image_;
    return state.ready.load(std::memory_order_acquire) ? state.error : std::string();
}

UVPlacement BMTex::CurrentPlacement() {
    if (uvGenImpl_) return uvGenImpl_->Placement();
    UVPlacement p;
    if (uvGen_) {
        p.slotType = uvGen_->GetSlotType();
        p.mapping = uvGen_->GetCoordMapping(0);
        p.uOffs = uvGen_->GetUOffs(0);
        p.vOffs = uvGen_->GetVOffs(0);
        p.uScl = uvGen_->GetUScl(0);
        p.vScl = uvGen_->GetVScl(0);
    }
    return p;
}

AColor BMTex::WithAlphaSource(AColor c) const {
    if (alphaSource_ == ALPHA_RGB)
        c.a = Mono(c);
    else if (alphaSource_ == ALPHA_NONE)
        c.a = 1.0f;
    return c;
}

AColor BMTex::EvalColor(ShadeContext& sc) {
    const HostImage& img = Image();
    if (img.Empty()) return AColor(0.0f, 0.0f, 0.0f, 1.0f);
    const UVPlacement p = CurrentPlacement();
    if (IsEnvironment(p))
        return WithAlphaSource(EnvironmentTexels(img, sc.VectorTo(sc.V(), REF_WORLD)));
    const Point3 uvw = sc.UVW(0);
    float pu, pv;
    PlaceUV(p, uvw.x, uvw.y, pu, pv);
    return WithAlphaSource(TextureLookup(img, pu, pv, endCondition_));
}

BaseInterface* BMTex::GetInterface(Interface_ID id) {
    if (id == HOST_ENVIRONMENT_LOOKUP_INTERFACE) return &environment_;
    return BitmapTex::GetInterface(id);
}

// EvalColor for a context that is sc looking along view: sc's own view plays no
// part in an environment slot.
bool BMTex::Environment::LookUp(ShadeContext& sc, const Point3& view, AColor& colour) {
    const HostImage& img = texture_.Image();
    if (img.Empty()) {
        colour = AColor(0.0f, 0.0f, 0.0f, 1.0f);
        return true;
    }
    if (!IsEnvironment(texture_.CurrentPlacement())) return false;
    colour = texture_.WithAlphaSource(EnvironmentTexels(img, sc.VectorTo(view, REF_WORLD)));
    return true;
}

float BMTex::EvalMono(ShadeContext& sc) {
    const AColor c = EvalColor(sc);
    return alphaAsMono_ ? c.a : Mono(c);
}

Point3 BMTex::EvalNormalPerturb(ShadeContext& sc) {
    const HostImage& img = Image();
    if (img.Empty()) return Point3(0.0f, 0.0f, 0.0f);
    const UVPlacement p = CurrentPlacement();
    if (IsEnvironment(p)) return Point3(0.0f, 0.0f, 0.0f);

    const Point3 uvw = sc.UVW(0);
    const Point3 duvw = sc.DUVW(0);
    float pu, pv;
    PlaceUV(p, uvw.x, uvw.y, pu, pv);
    // Central differences over the larger of one texel and the pixel's footprint.
    const float su = std::max(1.0f / static_cast<float>(img.width), std::fabs(duvw.x * p.uScl));
    const float sv = std::max(1.0f / static_cast<float>(img.height), std::fabs(duvw.y * p.vScl));
    auto height = [&](float u, float v) {
        const AColor c = TextureLookup(img, u, v, endCondition_);
        return alphaAsMono_ ? c.a : Mono(c);
    };
    // Slopes per unit of picture coordinate, then per unit of texture coordinate.
    const float dhdu = (height(pu + su, pv) - height(pu - su, pv)) / (2.0f * su) * p.uScl;
    const float dhdv = (height(pu, pv + sv) - height(pu, pv - sv)) / (2.0f * sv) * p.vScl;

    Point3 dP[3];
    sc.DPdUVW(dP, 0);
    return -(dhdu * Normalize(dP[0]) + dhdv * Normalize(dP[1]));
}

RefTargetHandle BMTex::Clone(RemapDir& remap) {
    auto* clone = new BMTex();
    *static_cast<MtlBase*>(clone) = *this;
    clone->ReplaceReference(0, remap.CloneRef(uvGen_));
    clone->mapName_ = mapName_;
    clone->filterType_ = filterType_;
    clone->alphaSource_ = alphaSource_;
    clone->endCondition_ = endCondition_;
    clone->alphaAsMono_ = alphaAsMono_;
    clone->fileGamma_ = fileGamma_;
    BaseClone(this, clone, remap);
    return clone;
}

BitmapTex* NewDefaultBitmapTex() { return new BMTex(); }

// --- Scene files ----------------------------------------------------------------
//
// Both classes write the common header (0x4000) and then their settings: the
// coordinates 0x1000 (slot type, mapping: i32; offsets and scales: f32), the bitmap
// 0x1000 (file name, UTF-16) and 0x1001 (filter, alpha source, end condition, alpha
// as mono: i32). The bitmap's coordinates object is its reference 0.

namespace {

enum : USHORT { kHeaderChunk = 0x4000, kSettingsChunk = 0x1000, kMoreSettingsChunk = 0x1001 };

IOResult SaveHeader(MtlBase* m, ISave* isave) {
    isave->BeginChunk(kHeaderChunk);
    const IOResult r = m->MtlBase::Save(isave);
    isave->EndChunk();
    return r;
}

}  // namespace

IOResult StdUVGenImpl::Save(ISave* isave) {
    IOResult r = SaveHeader(this, isave);
    if (r != IO_OK) return r;
    isave->BeginChunk(kSettingsChunk);
    for (int v : {placement_.slotType, placement_.mapping}) {
        if (r == IO_OK) r = WriteValue(isave, v);
    }
    for (float v : {placement_.uOffs, placement_.vOffs, placement_.uScl, placement_.vScl}) {
        if (r == IO_OK) r = WriteValue(isave, v);
    }
    isave->EndChunk();
    return r;
}

IOResult StdUVGenImpl::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        IOResult chunk = IO_OK;
        switch (iload->CurChunkID()) {
            case kHeaderChunk:
                chunk = MtlBase::Load(iload);
                break;
            case kSettingsChunk:
                for (int* v : {&placement_.slotType, &placement_.mapping}) {
                    if (chunk == IO_OK) chunk = ReadValue(iload, *v);
                }
                for (float* v :
                     {&placement_.uOffs, &placement_.vOffs, &placement_.uScl, &placement_.vScl}) {
                    if (chunk == IO_OK) chunk = ReadValue(iload, *v);
                }
                break;
            default:
                break;
        }
        iload->CloseChunk();
        if (chunk != IO_OK) return chunk;
    }
    return r == IO_ERROR ? IO_ERROR : IO_OK;
}

IOResult BMTex::Save(ISave* isave) {
    IOResult r = SaveHeader(this, isave);
    if (r != IO_OK) return r;
    isave->BeginChunk(kSettingsChunk);
    r = isave->WriteWString(mapName_.c_str());
    isave->EndChunk();
    isave->BeginChunk(kMoreSettingsChunk);
    for (int v : {filterType_, alphaSource_, endCondition_, static_cast<int>(alphaAsMono_)}) {
        if (r == IO_OK) r = WriteValue(isave, v);
    }
    isave->EndChunk();
    return r;
}

IOResult BMTex::Load(ILoad* iload) {
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        IOResult chunk = IO_OK;
        switch (iload->CurChunkID()) {
            case kHeaderChunk:
                chunk = MtlBase::Load(iload);
                break;
            case kSettingsChunk: {
                wchar_t* name = nullptr;
                chunk = iload->ReadWStringChunk(&name);
                if (chunk == IO_OK) mapName_ = name;
                break;
            }
            case kMoreSettingsChunk:
                for (int* v : {&filterType_, &alphaSource_, &endCondition_, &alphaAsMono_}) {
                    if (chunk == IO_OK) chunk = ReadValue(iload, *v);
                }
                break;
            default:
                break;
        }
        iload->CloseChunk();
        if (chunk != IO_OK) return chunk;
    }
    return r == IO_ERROR ? IO_ERROR : IO_OK;
}
