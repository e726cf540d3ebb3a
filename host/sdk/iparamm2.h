// Parameter maps: the binding of a parameter block to a panel's controls, and
// the user procedure that adds a plug-in's own panel behaviour.
#pragma once

#include "interval.h"
#include "mtlbase.h"
#include "ref.h"

class IParamMap2;
class IParamBlock2;
class ParamBlockDesc2;

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

// The binding of a block's parameters to the controls of one panel (rollout): it
// shows each parameter in its controls and writes what the user does back into the
// block, and hands the panel's messages on to the plug-in's own procedure.
class PB2Export IParamMap2 : public MaxHeapOperators {
public:
    virtual ~IParamMap2() = default;
    virtual IParamBlock2* GetParamBlock() = 0;
    virtual BOOL SetParamBlock(IParamBlock2* pb) = 0;
    virtual MapID GetMapID() = 0;
    virtual ParamBlockDesc2* GetDesc() = 0;
    virtual HWND GetHWnd() = 0;
    // The plug-in's procedure; a procedure set on an open panel is told WM_INITDIALOG.
    // The map deletes its procedure (DeleteThis) when it goes.
    virtual void SetUserDlgProc(ParamMap2UserDlgProc* proc = nullptr) = 0;
    virtual ParamMap2UserDlgProc* GetUserDlgProc() = 0;
    // Shows the block's values again: every parameter, or one (tabIndex -1: all).
    virtual void Invalidate() = 0;
    virtual void Invalidate(ParamID id, int tabIndex = 0) = 0;
    // Greys (or enables) and hides (or shows) every control of a parameter.
    virtual void Enable(ParamID id, BOOL onOff, int tabIndex = 0) = 0;
    virtual void Show(ParamID id, BOOL showHide, int tabIndex = 0) = 0;
    virtual void UpdateUI(TimeValue t) = 0;
};

// The panel the class descriptor builds for a material: one parameter map per block
// declared with P_AUTO_UI, the first being the master.
class PB2Export IAutoMParamDlg : public ParamDlg {
public:
    virtual void InvalidateUI() = 0;
    virtual void MtlChanged() = 0;
    virtual int NumDlgs() = 0;
    virtual void AddDlg(ParamDlg* dlg) = 0;
    virtual ParamDlg* GetDlg(int i) = 0;
    virtual void SetDlg(int i, ParamDlg* dlg) = 0;
    virtual void DeleteDlg(ParamDlg* dlg) = 0;
    virtual IParamMap2* GetMap() = 0;
};
