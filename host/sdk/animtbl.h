// Animatable: the root of every host object that can be animated, listed in the
// track view, or queried for sub-animatables and parameter blocks.
#pragma once

#include "baseinterface.h"
#include "strclass.h"

class IParamBlock2;
class IObjParam;

#define MATERIAL_CLASS_ID 0x000C00
#define TEXMAP_CLASS_ID 0x000C10
#define UVGEN_CLASS_ID 0x0000c20
#define PARAMETER_BLOCK_CLASS_ID 0x00000008
#define PARAMETER_BLOCK2_CLASS_ID 0x00000082
#define REF_MAKER_CLASS_ID 0x00000100
#define REF_TARGET_CLASS_ID 0x00000101

typedef short ParamID;
typedef short BlockID;
typedef short MapID;

class CoreExport Animatable : public InterfaceServer {
public:
    Animatable();
    Animatable(const Animatable&) = delete;
    Animatable& operator=(const Animatable&) = delete;
    ~Animatable() override;

    virtual void DeleteThis();
    virtual void GetClassName(MSTR& s);
    virtual Class_ID ClassID();
    virtual SClass_ID SuperClassID() = 0;

    virtual int NumSubs() { return 0; }
    virtual Animatable* SubAnim(int i);
    virtual MSTR SubAnimName(int i);
    virtual int SubNumToRefNum(int subNum);

    virtual int NumParamBlocks() { return 0; }
    virtual IParamBlock2* GetParamBlock(int i);
    virtual IParamBlock2* GetParamBlockByID(BlockID id);

    virtual void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev = nullptr);
    virtual void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next = nullptr);
};
