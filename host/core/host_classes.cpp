// The host's own classes, as the scene loader creates them. Every class of the host
// whose objects a scene can hold belongs here, or files holding one cannot be loaded
// (and saving refuses them).
#include "bitmaptex.h"
#include "normal_bump.h"
#include "paramblock.h"
#include "paramblock2.h"
#include "scene_file.h"

namespace {

class BuiltInClassDesc : public ClassDesc {
public:
    int IsPublic() override { return FALSE; }
    const MCHAR* Category() override { return _M(""); }
};

class ParamBlock2ClassDesc : public BuiltInClassDesc {
public:
    void* Create(BOOL) override { return static_cast<Animatable*>(ParamBlock2::NewForLoading()); }
    const MCHAR* ClassName() override { return _M("ParamBlock2"); }
    SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }
    Class_ID ClassID() override { return Class_ID(PARAMETER_BLOCK2_CLASS_ID, 0); }
};

class ParamBlockClassDesc : public BuiltInClassDesc {
public:
    void* Create(BOOL) override { return static_cast<Animatable*>(new ParamBlock(nullptr, 0, 0)); }
    const MCHAR* ClassName() override { return _M("ParamBlock"); }
    SClass_ID SuperClassID() override { return PARAMETER_BLOCK_CLASS_ID; }
    Class_ID ClassID() override { return Class_ID(PARAMETER_BLOCK_CLASS_ID, 0); }
};

class BitmapClassDesc : public BuiltInClassDesc {
public:
    void* Create(BOOL loading) override { return static_cast<Animatable*>(new BMTex(loading)); }
    const MCHAR* ClassName() override { return _M("Bitmap"); }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return Class_ID(BMTEX_CLASS_ID, 0); }
};

class StdUVGenClassDesc : public BuiltInClassDesc {
public:
    void* Create(BOOL) override { return static_cast<Animatable*>(new StdUVGenImpl()); }
    const MCHAR* ClassName() override { return _M("StandardUVGen"); }
    SClass_ID SuperClassID() override { return UVGEN_CLASS_ID; }
    Class_ID ClassID() override { return Class_ID(STDUV_CLASS_ID, 0); }
};

class NormalBumpClassDesc : public BuiltInClassDesc {
public:
    void* Create(BOOL) override { return static_cast<Animatable*>(new NormalBumpTex()); }
    const MCHAR* ClassName() override { return _M("Normal Bump"); }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return NORMAL_BUMP_CLASS_ID; }
};

}  // namespace

ClassDirectory& HostClassDirectory() {
    static ParamBlock2ClassDesc paramBlock2;
    static ParamBlockClassDesc paramBlock;
    static BitmapClassDesc bitmap;
    static StdUVGenClassDesc uvGen;
    static NormalBumpClassDesc normalBump;
    static ClassDirectory directory = [] {
        ClassDirectory d;
        d.Add(&paramBlock2);
        d.Add(&paramBlock);
        d.Add(&bitmap);
        d.Add(&uvGen);
        d.Add(&normalBump);
        return d;
    }();
    return directory;
}
