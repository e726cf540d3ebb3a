// A light as shading sees it.
#pragma once

#include "baseinterface.h"
#include "color.h"
#include "point3.h"

class ShadeContext;

class CoreExport RenderData : public InterfaceServer {
public:
    ~RenderData() override;
    virtual void DeleteThis() { delete this; }
};

class CoreExport LightDesc : public RenderData {
public:
    BOOL affectDiffuse = TRUE;
    BOOL affectSpecular = TRUE;
    BOOL ambientOnly = FALSE;
    DWORD extra = 0;

    // Fills the light reaching sc.P(), the unit direction towards the light and N.L;
    // answers FALSE when the light does not reach the point's side.
    virtual BOOL Illuminate(ShadeContext& /*sc*/, Point3& /*normal*/, Color& /*color*/,
                            Point3& /*dir*/, float& /*dot_nl*/, float& /*diffuseCoef*/) {
        return FALSE;
    }
    virtual Point3 LightPosition() { return Point3(0.0f, 0.0f, 0.0f); }
};
