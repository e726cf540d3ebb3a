// Parameter blocks, first edition: a block described by a table of entries (type,
// animatable, id), its values addressed by entry index. Files of older plug-in
// versions hold such blocks; ParamBlock2PLCB (iparamb2.h) turns them into blocks of
// the second edition after loading.
#pragma once

#include "iparamb2.h"

// Entry types of a first-edition block share their values with ParamType2; a user
// type (a map slot of the old layouts) carries no value of its own.
typedef ParamType2 ParamType;
#define TYPE_USER ((ParamType)5)

class UserType;

// One entry of a first-edition layout. pb2_id names the second-edition parameter the
// entry becomes: -2 the same id, -1 none.
struct ParamBlockDescID {
    ParamType type;
    UserType* user;
    BOOL animatable;
    DWORD id;
    ParamID pb2_id = -2;
};

// One earlier layout: its entries and its version number.
class ParamVersionDesc : public MaxHeapOperators {
public:
    ParamBlockDescID* desc = nullptr;
    int count = 0;
    DWORD version = 0;
    ParamVersionDesc() = default;
    ParamVersionDesc(ParamBlockDescID* d, int c, int v)
        : desc(d), count(c), version(static_cast<DWORD>(v)) {}
};

// A first-edition block. In this host it is also an IParamBlock2 that answers no
// parameter by id, so that an owner which keeps it where its current block belongs
// holds an object of the right kind until the upgrade replaces it.
class CoreExport IParamBlock : public IParamBlock2 {
public:
    virtual int NumParams() override = 0;
    virtual DWORD GetVersion() override = 0;
    virtual ParamType GetParameterType(int i) = 0;

    virtual BOOL GetValueAt(int i, TimeValue t, float& v, Interval& ivalid) = 0;
    virtual BOOL GetValueAt(int i, TimeValue t, int& v, Interval& ivalid) = 0;
    virtual BOOL GetValueAt(int i, TimeValue t, Color& v, Interval& ivalid) = 0;
    virtual BOOL SetValueAt(int i, TimeValue t, float v) = 0;
    virtual BOOL SetValueAt(int i, TimeValue t, int v) = 0;
    virtual BOOL SetValueAt(int i, TimeValue t, const Color& v) = 0;
};

// A first-edition block of the given layout, every value zero.
PB2Export IParamBlock* CreateParameterBlock(ParamBlockDescID* pdesc, int count, DWORD version);
