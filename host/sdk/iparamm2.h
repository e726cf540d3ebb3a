// Parameter maps: the binding of a parameter block to a panel's controls, and
// the user procedure that adds a plug-in's own panel behaviour.
#pragma once

#include "interval.h"
#include "ref.h"

class IParamMap2;
class IParamBlock2;

class ParamMap2UserDlgProc : public MaxHeapOperators {
public:
    virtual ~ParamMap2UserDlgProc() = default;
    virtual INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                            LPARAM lParam) = 0;
    virtual void DeleteThis() = 0;
    virtual void SetThing(ReferenceTarget* /*m*/) {}
    virtual void Update(TimeValue /*t*/) {}
    virtual void SetParamBlock(IParamBlock2* /*pb*/) {}
    virtual void Update(TimeValue t, Interval& /*valid*/, IParamMap2* /*pmap*/) { Update(t); }
};

#define REDRAW_VIEWS 2
