// Shading tests: the plug-in linked in, a shading context with lights of the
// test's choosing, and maps that answer fixed values.
#pragma once

#include "tests/support/plugin_fixture.h"
#include "tests/support/test_shade_context.h"

#include "material/preview_environment.h"
#include "shading/shade_statistics.h"

#include <vector>

// A light that reports what the test sets, and remembers the normal it was given.
class FixedLight : public LightDesc {
public:
    FixedLight(float dotNL, Color colour = Color(1.0f, 1.0f, 1.0f),
               Point3 dir = Point3(0.0f, 0.0f, 1.0f))
        : dotNL_(dotNL), colour_(colour), dir_(dir) {}
    BOOL Illuminate(ShadeContext&, Point3& normal, Color& color, Point3& dir, float& dot_nl,
                    float&) override {
        normals.push_back(normal);
        color = colour_;
        dir = dir_;
        dot_nl = dotNL_;
        return dotNL_ > 0.0f;
    }
    std::vector<Point3> normals;

private:
    float dotNL_;
    Color colour_;
    Point3 dir_;
};

// A map answering one colour everywhere, and one normal perturbation.
class ConstantMap : public Texmap {
public:
    explicit ConstantMap(Color c, Point3 perturbation = Point3(0.0f, 0.0f, 0.0f),
                         const wchar_t* className = L"Constant")
        : colour_(c), perturbation_(perturbation), className_(className) {}
    void GetClassName(MSTR& s) override { s = className_; }
    Class_ID ClassID() override { return Class_ID(0x77, 0x78); }
    AColor EvalColor(ShadeContext&) override { return AColor(colour_); }
    Point3 EvalNormalPerturb(ShadeContext&) override {
        ++perturbCalls;
        return perturbation_;
    }
    void Update(TimeValue, Interval&) override {}
    void Reset() override {}
    Interval Validity(TimeValue) override { return FOREVER; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
    int perturbCalls = 0;

protected:
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }

private:
    Color colour_;
    Point3 perturbation_;
    MSTR className_;
};

// The test's shading context, with lights.
class LitContext : public TestShadeContext {
public:
    explicit LitContext(Point3 view = Point3(0.0f, 0.0f, -1.0f), Environment env = White)
        : TestShadeContext(view, env) {}
    void AddLight(LightDesc* light) {
        lights.push_back(light);
        nLights = static_cast<int>(lights.size());
    }
    LightDesc* Light(int n) override { return lights[static_cast<std::size_t>(n)]; }
    std::vector<LightDesc*> lights;
};

class ShadeTest : public PluginTest {
protected:
    void SetUp() override {
        NewMaterial();  // the first material of the process sets up the preview environment
        savedEnvironment_ = previewEnvMap;
        previewEnvMap = nullptr;  // no environment unless a test gives one
    }
    void TearDown() override {
        previewEnvMap = savedEnvironment_;
        PluginTest::TearDown();
    }
    // A material with everything at its defaults, brought up to date.
    LumraMtl* Material(std::initializer_list<std::pair<ParamID, float>> floats = {}) {
        LumraMtl* mtl = NewMaterial();
        for (const auto& [id, v] : floats) mtl->pblock->SetValue(id, 0, v);
        Refresh(mtl);
        return mtl;
    }
    static void Refresh(LumraMtl* mtl) {
        Interval valid = FOREVER;
        mtl->Update(0, valid);
    }
    // The environment pointer only has to be non-null: the test context answers
    // environment lookups itself.
    void UseTestEnvironment() { previewEnvMap = &environmentStandIn_; }

    Texmap* savedEnvironment_ = nullptr;
    ConstantMap environmentStandIn_{Color(1.0f, 1.0f, 1.0f)};
};

// The tone curve the shader applies after the exposure.
inline float ReferenceToneCurve(float x) { return x / std::pow(std::pow(x, 5.0f) + 1.0f, 0.2f); }
