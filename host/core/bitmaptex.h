// The host's bitmap texture and its standard coordinates object.
#pragma once

#include "environment_lookup.h"
#include "host_image.h"
#include "stdmat.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

// The memory the pictures of all the bitmap textures of one material may take
// together (16 bytes a pixel, as the host holds them): a texture whose picture would
// take the material's maps past it is refused when its header has been read, before
// it is decoded, with the sizes named. A texture counts for every material that uses
// it, directly or through another map; one that no material uses is held to the
// budget alone. The default fits eight 4096 x 4096 maps, or two at the largest
// picture size; it can be raised for work that needs more.
constexpr std::uint64_t kDefaultMaxMaterialTextureBytes = std::uint64_t(2) << 30;  // 2 GiB
CoreExport void SetMaxMaterialTextureBytes(std::uint64_t bytes);
CoreExport std::uint64_t MaxMaterialTextureBytes();

// How a texture sits on its coordinates. In texture slots, tiling scales the
// picture about its centre and a positive offset moves the picture towards +u
// (+v): the colour at (u, v) is the picture's at
// ((u - uOffs - 0.5) * uScl + 0.5, (v - vOffs - 0.5) * vScl + 0.5).
struct UVPlacement {
    int slotType = MAPSLOT_TEXTURE;
    int mapping = UVMAP_EXPLICIT;
    float uOffs = 0.0f, vOffs = 0.0f, uScl = 1.0f, vScl = 1.0f;
};

class CoreExport StdUVGenImpl : public StdUVGen {
public:
    void GetClassName(MSTR& s) override { s = _M("StandardUVGen"); }
    Class_ID ClassID() override { return Class_ID(STDUV_CLASS_ID, 0); }

    void InitSlotType(int sType) override { placement_.slotType = sType; }
    int GetSlotType() override { return placement_.slotType; }
    void SetCoordMapping(int mapping) override { placement_.mapping = mapping; }
    int GetCoordMapping(int) override { return placement_.mapping; }
    void SetUOffs(float f, TimeValue) override { placement_.uOffs = f; }
    void SetVOffs(float f, TimeValue) override { placement_.vOffs = f; }
    void SetUScl(float f, TimeValue) override { placement_.uScl = f; }
    void SetVScl(float f, TimeValue) override { placement_.vScl = f; }
    float GetUOffs(TimeValue) override { return placement_.uOffs; }
    float GetVOffs(TimeValue) override { return placement_.vOffs; }
    float GetUScl(TimeValue) override { return placement_.uScl; }
    float GetVScl(TimeValue) override { return placement_.vScl; }

    // All the settings at once, read without virtual calls by the host's own
    // textures while they shade.
    const UVPlacement& Placement() const { return placement_; }

    void Update(TimeValue, Interval&) override {}
    void Reset() override;
    Interval Validity(TimeValue) override { return FOREVER; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
    RefTargetHandle Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

protected:
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }

private:
    UVPlacement placement_;
};

// The bitmap texture. It reads its image the first time it is evaluated after
// SetMapName, once, whichever render thread gets there first; later evaluations
// only read the image. Changing the name (or the file gamma) while other threads
// evaluate the texture is not supported, as for any other setting.
//
// In texture slots it looks the picture up bilinearly at the context's UVW
// (channel 0), with the placement above and the end condition beyond the edges.
// In environment slots it looks the picture up by the direction of the view in
// world coordinates, in the latitude-longitude layout of latlong.h; the host
// has only this spherical environment mapping, whichever mapping is chosen. The
// filter type is kept for the host's dialogs; lookups are always bilinear.
//
// A file that cannot be read (missing, damaged, of a kind not read, over the pixel
// limit or the material's texture budget) evaluates to black, as a texture without
// a file does; the reason, with the file's name, is printed once on standard error
// and kept (ImageError). The name stays as it was: the scene keeps it.
//
// In environment slots the texture offers the host's EnvironmentLookup, so that
// environment lookups go from the direction straight to the texels.
class CoreExport BMTex : public BitmapTex {
public:
    // A texture with its own coordinates object, except when it is made for loading:
    // the file then supplies them.
    explicit BMTex(BOOL loading = FALSE);
    ~BMTex() override;

    void GetClassName(MSTR& s) override { s = _M("Bitmap"); }
    Class_ID ClassID() override { return Class_ID(BMTEX_CLASS_ID, 0); }
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int i) override { return i == 0 ? uvGen_ : nullptr; }
    RefTargetHandle Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

    void SetMapName(const MCHAR* name, bool isUIAction = false) override;
    const MCHAR* GetMapName() override { return mapName_.c_str(); }
    StdUVGen* GetUVGen() override { return uvGen_; }
    void SetFilterType(int ft) override { filterType_ = ft; }
    int GetFilterType() override { return filterType_; }
    void SetAlphaSource(int as) override { alphaSource_ = as; }
    int GetAlphaSource() override { return alphaSource_; }
    void SetEndCondition(int endcond) override { endCondition_ = endcond; }
    int GetEndCondition() override { return endCondition_; }
    void SetAlphaAsMono(BOOL onoff) override { alphaAsMono_ = onoff; }
    BOOL GetAlphaAsMono(BOOL) override { return alphaAsMono_; }

    AColor EvalColor(ShadeContext& sc) override;
    BaseInterface* GetInterface(Interface_ID id) override;
    // The average of the three channels, or the alpha when alpha-as-mono is on.
    float EvalMono(ShadeContext& sc) override;
    // The picture read as a height field (its mono value): minus its gradient
    // along the surface, in camera space, with the slope measured per unit of
    // texture coordinate (a ramp from 0 to 1 across one tile tilts the normal by
    // 45 degrees at a bump amount of 1). Zero in environment slots.
    Point3 EvalNormalPerturb(ShadeContext& sc) override;

    // The gamma that linearises 8- and 16-bit files: 2.2 for pictures, 1 for
    // data such as normal maps. Changing it reads the file anew.
    void SetFileGamma(float gamma);
    float GetFileGamma() const { return fileGamma_; }
    // The picture, read on the first call after the name was set; empty when the
    // file could not be read.
    const HostImage& Image();
    // Why the picture could not be read, naming the file; empty when it was read or
    // has not been tried yet.
    std::string ImageError();
    // The memory the texture's picture takes, or is about to take while it is read:
    // what it counts for in the budget of its materials.
    std::uint64_t ImageBytes() const { return imageBytes_.load(); }

    void Update(TimeValue, Interval&) override {}
    void Reset() override;
    Interval Validity(TimeValue) override { return FOREVER; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }

protected:
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }

private:
    struct LoadState {
        std::once_flag once;
        std::atomic<bool> ready{false};
        HostImage image;
        std::string error;
    };

    class Environment : public EnvironmentLookup {
    public:
        explicit Environment(BMTex& texture) : texture_(texture) {}
        bool LookUp(ShadeContext& sc, const Point3& view, AColor& colour) override;

    private:
        BMTex& texture_;
    };

    void Load(LoadState& state);
    // Whether a picture of width x height may take its memory now (see
    // SetMaxMaterialTextureBytes); reserves it when it may.
    bool AdmitPicture(int width, int height, std::string& reason);
    void ForgetImage();
    UVPlacement CurrentPlacement();
    AColor WithAlphaSource(AColor c) const;

    StdUVGen* uvGen_ = nullptr;
    StdUVGenImpl* uvGenImpl_ = nullptr;  // the same object when it is the host's own
    std::wstring mapName_;
    int filterType_ = FILTER_PYR;
    int alphaSource_ = ALPHA_FILE;
    int endCondition_ = END_LOOP;
    BOOL alphaAsMono_ = FALSE;
    float fileGamma_ = 2.2f;
    std::unique_ptr<LoadState> image_;
    std::atomic<std::uint64_t> imageBytes_{0};
    Environment environment_{*this};
};
