// Plug-in registration: the class descriptor and the host's version constant.
#pragma once

#include "animtbl.h"
#include "baseinterface.h"

#include <vector>

#define MAX_RELEASE_R22 22000
#define MAX_API_NUM_R220 55
#define MAX_RELEASE MAX_RELEASE_R22
#define MAX_API_NUM MAX_API_NUM_R220
#define MAX_SDK_REV 0
#define MAXVERSION(r, a, s) ((ULONG)(((r) << 16) + ((a) << 8) + (s)))
#define VERSION_3DSMAX MAXVERSION(MAX_RELEASE, MAX_API_NUM, MAX_SDK_REV)
#define GET_MAX_RELEASE(x) (((x) >> 16) & 0xffff)
#define GET_MAX_API_NUM(x) (((x) >> 8) & 0xff)
#define GET_MAX_SDK_REV(x) ((x)&0xff)

typedef INT_PTR StringResID;

class ParamBlockDesc2;
class IParamBlock2;
class ReferenceMaker;

// Describes one plug-in class to the host: its identity, how to create its
// objects, and the interfaces it offers.
class CoreExport ClassDesc : public MaxHeapOperators {
public:
    ClassDesc();
    virtual ~ClassDesc();

    virtual int IsPublic() = 0;
    virtual void* Create(BOOL loading = FALSE) = 0;
    virtual int BeginCreate(void* /*i*/) { return 0; }
    virtual int EndCreate(void* /*i*/) { return 0; }
    virtual BOOL OkToCreate(void* /*i*/) { return TRUE; }
    virtual const MCHAR* ClassName() = 0;
    virtual const MCHAR* InternalName() { return nullptr; }
    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    virtual const MCHAR* Category() = 0;
    virtual BOOL HasClassParams() { return FALSE; }
    virtual void EditClassParams(HWND /*hParent*/) {}
    virtual void ResetClassParams(BOOL /*fileReset*/ = FALSE) {}
    virtual int NumActionTables() { return 0; }
    virtual BOOL NeedsToSave() { return FALSE; }
    virtual DWORD InitialRollupPageState() { return 0x7fffffff; }
    virtual HINSTANCE HInstance() { return nullptr; }
    // The class's own string resource id, loaded from its module.
    virtual const MCHAR* GetRsrcString(StringResID id);

    // Parameter-block bookkeeping; ClassDesc2 keeps the descriptors.
    virtual int NumParamBlockDescs() { return 0; }
    virtual ParamBlockDesc2* GetParamBlockDesc(int /*i*/) { return nullptr; }
    virtual ParamBlockDesc2* GetParamBlockDescByID(BlockID /*id*/) { return nullptr; }
    virtual void AddParamBlockDesc(ParamBlockDesc2* /*pbd*/) {}

    // Interfaces added with AddInterface, found by id or by internal name.
    virtual FPInterface* GetInterface(Interface_ID id);
    virtual FPInterface* GetInterface(const MCHAR* name);
    virtual int NumInterfaces() { return static_cast<int>(interfaces_.size()); }
    virtual FPInterface* GetInterfaceAt(int i);
    virtual void AddInterface(FPInterface* fpi);
    virtual void ClearInterfaces() { interfaces_.clear(); }

private:
    std::vector<FPInterface*> interfaces_;
};
