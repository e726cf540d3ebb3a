// The sub-texture interface: materials and maps that hold texture maps in slots.
#pragma once

#include "maxtypes.h"
#include "strclass.h"

class Texmap;
class ReferenceTarget;
class ParamDlg;

#define MAPSLOT_TEXTURE 0
#define MAPSLOT_ENVIRON 1
#define MAPSLOT_DISPLACEMENT 2
#define MAPSLOT_BACKGROUND 3

class CoreExport ISubMap {
public:
    virtual ~ISubMap();
    virtual int NumSubTexmaps() { return 0; }
    virtual Texmap* GetSubTexmap(int i);
    virtual int MapSlotType(int i) = 0;
    virtual void SetSubTexmap(int i, Texmap* m);
    virtual int SubTexmapOn(int /*i*/) { return 1; }
    virtual MSTR GetSubTexmapSlotName(int i);
    virtual BOOL SetDlgThing(ParamDlg* dlg);
    virtual ReferenceTarget* GetRefTarget() = 0;
};
