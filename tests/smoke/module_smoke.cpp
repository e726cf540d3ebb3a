// The plug-in module loaded as the host loads it, and checked from the outside:
// its exports, its version and description, its class, its strings, its dialog
// templates and its panel in the material editor. On Windows it runs against the
// real loader and user32 (under Wine in the tests), on Linux against the stand-in.
//   module_smoke MODULE [--picture FILE.png]
// --picture (Windows) also writes the panel as the system draws it.
#include "tests/support/module_exports.h"
#include "ui/resource.h"

#include "iparamb2.h"
#include "mtl.h"
#include "mtl_editor.h"
#include "plugapi.h"
#include "winhost.h"
#include "winui.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "windows.h"

#if defined(_WIN32)
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#endif

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok) ++failures;
}

std::string Narrow(const std::wstring& text) { return winhost::WideToUtf8(text.c_str()); }

std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

template <class Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// How many controls of each class a window holds.
std::map<std::wstring, int> Census(HWND window) {
    std::map<std::wstring, int> census;
    for (HWND child : winhost::ChildWindows(window)) ++census[winhost::WindowClass(child)];
    return census;
}

std::string Describe(const std::map<std::wstring, int>& census) {
    std::string out;
    for (const auto& [cls, n] : census) out += Narrow(cls) + " " + std::to_string(n) + ", ";
    return out.empty() ? "nothing" : out.substr(0, out.size() - 2);
}

INT_PTR CALLBACK QuietProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

void CheckTemplate(HMODULE module, HWND frame, int id,
                   const std::map<std::wstring, int>& expected) {
    HWND dialog = CreateDialogParamW(module, MAKEINTRESOURCEW(id), frame, QuietProc, 0);
    Check(dialog != nullptr, "template " + std::to_string(id) + " makes a dialog");
    if (!dialog) return;
    const std::map<std::wstring, int> census = Census(dialog);
    Check(census == expected, "template " + std::to_string(id) + " holds " + Describe(census));
    DestroyWindow(dialog);
}

// Every string of the table, by copy and by pointer (a zero buffer size).
void CheckStrings(HMODULE module) {
    int found = 0, agreeing = 0;
    for (UINT id = 0; id <= 0xFFFF; ++id) {
        wchar_t buffer[512];
        const int n = LoadStringW(module, id, buffer, 512);
        if (n == 0) continue;
        ++found;
        const wchar_t* text = nullptr;
        const int m = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
        if (m == n && text && std::wstring(text, static_cast<size_t>(m)) == buffer) ++agreeing;
    }
    Check(found == 75, "the string table holds " + std::to_string(found) + " strings");
    Check(agreeing == found, "each reads the same through a pointer (" + std::to_string(agreeing) +
                                 " of " + std::to_string(found) + ")");
    wchar_t buffer[512];
    LoadStringW(module, IDS_EXTRUSION_STRONG, buffer, 512);
    Check(std::wstring(buffer) == L"strong (recommended)",
          "string " + std::to_string(IDS_EXTRUSION_STRONG) + " is \"" + Narrow(buffer) + "\"");
}

// The panel of a new material: the parameter map shows the block's defaults, and
// the anisotropy controls are greyed for the default model (GGX).
void CheckPanel(ClassDesc* cd, const char* picture) {
    auto* mtl = static_cast<Mtl*>(cd->Create(FALSE));
    MtlEditor editor;
    Check(mtl && editor.Open(mtl) && editor.Pages().size() == 1, "the editor opens one rollout");
    if (editor.Pages().size() == 1) {
        HWND page = editor.Pages()[0];
        auto item = [page](int id) { return GetDlgItem(page, id); };
        Check(editor.Titles()[0] == L"Parameters", "the rollout is \"Parameters\"");
        Check(Text(item(IDC_DIFFUSE_MULT_EDIT)) == L"1.0", "diffuse multiplier shows 1.0");
        Check(Text(item(IDC_REFLECT_IOR_EDIT)) == L"1.5", "reflection IOR shows 1.5");
        Check(winhost::GetSpinnerValue(item(IDC_BUMP_AMOUNT_SPIN)) == 0.2f,
              "height spinner at 0.2");
        Check(winhost::GetSwatchColor(item(IDC_DIFFUSE_COLOR)) == RGB(204, 204, 204),
              "diffuse swatch is 204, 204, 204");
        Check(IsDlgButtonChecked(page, IDC_AFFECT_SHADOW) == BST_CHECKED, "cast shadows checked");
        Check(Text(item(IDC_DIFFUSE_MAP)) == L"None", "diffuse map button shows None");
        Check(Text(item(IDC_REFLECT_BRDF)) == L"GGX" &&
                  SendMessageW(item(IDC_REFLECT_BRDF), CB_GETCOUNT, 0, 0) == 5,
              "BRDF box shows GGX of five");
        Check(!IsWindowEnabled(item(IDC_REFLECT_ANISOTROPY_EDIT)) &&
                  !IsWindowEnabled(item(IDC_REFLECT_ROTATION_SPIN)),
              "anisotropy and rotation greyed");
        Check(IsWindowEnabled(item(IDC_REFLECT_ANISOTROPY_MAP)), "anisotropy map button enabled");
#if defined(_WIN32)
        if (picture) {
            // The panel as the system drew it on the screen.
            RedrawWindow(editor.Frame(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            RECT r;
            GetWindowRect(page, &r);
            const int w = r.right - r.left, h = r.bottom - r.top;
            HDC screen = GetDC(nullptr);
            HDC memory = CreateCompatibleDC(screen);
            BITMAPINFO info{};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* bits = nullptr;
            HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            HGDIOBJ old = SelectObject(memory, bitmap);
            BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
            GdiFlush();
            std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
            const auto* bgra = static_cast<const unsigned char*>(bits);
            for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i)
                for (int c = 0; c < 3; ++c) rgb[i * 3 + c] = bgra[i * 4 + 2 - c];
            Check(stbi_write_png(picture, w, h, 3, rgb.data(), w * 3) != 0,
                  std::string("the panel is drawn to ") + picture);
            SelectObject(memory, old);
            DeleteObject(bitmap);
            DeleteDC(memory);
            ReleaseDC(nullptr, screen);
        }
#else
        if (picture) Check(false, "pictures of the panel come from `lumra panel` on Linux");
#endif
    }
    editor.Close();
    if (mtl) mtl->DeleteMe();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: module_smoke MODULE [--picture FILE.png]\n");
        return 2;
    }
    const std::string path = argv[1];
    const char* picture = argc >= 4 && std::string(argv[2]) == "--picture" ? argv[3] : nullptr;

    std::vector<std::string> exports;
    Check(ModuleExports(path, &exports) &&
              exports == std::vector<std::string>{"LibClassDesc", "LibDescription", "LibInitialize",
                                                  "LibNumberClasses", "LibShutdown", "LibVersion"},
          "the module exports the six entry points and nothing else");

    const std::wstring wide = winhost::Utf8ToWide(path);
    HMODULE module = LoadLibraryW(wide.c_str());
    Check(module != nullptr, "LoadLibraryW loads " + path);
    if (!module) return 1;
    auto version = Export<ULONG (*)()>(module, "LibVersion");
    auto initialize = Export<int (*)()>(module, "LibInitialize");
    auto description = Export<const MCHAR* (*)()>(module, "LibDescription");
    auto count = Export<int (*)()>(module, "LibNumberClasses");
    auto classDesc = Export<ClassDesc* (*)(int)>(module, "LibClassDesc");
    auto shutdown = Export<int (*)()>(module, "LibShutdown");
    Check(version && initialize && description && count && classDesc && shutdown,
          "GetProcAddress finds the six");
    if (!(version && initialize && description && count && classDesc && shutdown)) return 1;

    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(version()));
    Check(version() == 0x55F03700u, std::string("LibVersion is ") + hex);
    Check(initialize() == 1, "LibInitialize succeeds");
    const MCHAR* text = description();
    Check(text && std::wstring(text) == L"Lumra renderer material editor",
          "LibDescription is \"" + (text ? Narrow(text) : std::string("(null)")) + "\"");
    Check(count() == 1 && classDesc(1) == nullptr, "one class");
    ClassDesc* cd = classDesc(0);
    Check(cd && std::wstring(cd->ClassName()) == L"LumraMtl", "the class is LumraMtl");
    Check(cd && std::wstring(cd->Category()) == L"Material editor", "in category Material editor");
    Check(cd && cd->HInstance() == module, "its instance is the module's handle");

    CheckStrings(module);

    HWND frame = winhost::CreateHostWindow(L"Material Editor", 400, 800);
    CheckTemplate(module, frame, IDD_LUMRA_PARAMS,
                  {{L"BUTTON", 19},
                   {L"COMBOBOX", 2},
                   {L"ColorSwatch", 6},
                   {L"CustButton", 11},
                   {L"CustEdit", 17},
                   {L"STATIC", 34},
                   {L"SpinnerControl", 17}});
    CheckTemplate(module, frame, IDD_LUMRA_PARAMS_COLUMNS,
                  {{L"BUTTON", 11},
                   {L"COMBOBOX", 2},
                   {L"ColorSwatch", 6},
                   {L"CustButton", 11},
                   {L"CustEdit", 16},
                   {L"STATIC", 25},
                   {L"SpinnerControl", 16}});
    DestroyWindow(frame);

    if (cd) CheckPanel(cd, picture);

    Check(shutdown() == 1, "LibShutdown succeeds");
    Check(FreeLibrary(module) != FALSE, "FreeLibrary unloads it");
    std::printf("%s\n", failures ? "module_smoke: FAILED" : "module_smoke: passed");
    return failures ? 1 : 0;
}
