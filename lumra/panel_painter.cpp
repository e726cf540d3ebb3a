#include "panel_painter.h"

#include "winui.h"

#include "windows.h"

#include <algorithm>
#include <string>

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

// The material editor's dark theme.
constexpr Rgb kBackground{68, 68, 68};
constexpr Rgb kText{220, 220, 220};
constexpr Rgb kGreyText{118, 118, 118};
constexpr Rgb kField{43, 43, 43};
constexpr Rgb kFieldBorder{30, 30, 30};
constexpr Rgb kButtonFace{92, 92, 92};
constexpr Rgb kButtonGrey{76, 76, 76};
constexpr Rgb kFrameLine{110, 110, 110};
constexpr Rgb kCheckMark{235, 235, 235};

// A 5 x 7 font for the printable ASCII characters, five columns a glyph, the lowest
// bit the top row.
constexpr std::uint8_t kGlyphs[95][5] = {
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, {0x00, 0x07, 0x00, 0x07, 0x00},
    {0x14, 0x7F, 0x14, 0x7F, 0x14}, {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x55, 0x22, 0x50}, {0x00, 0x05, 0x03, 0x00, 0x00}, {0x00, 0x1C, 0x22, 0x41, 0x00},
    {0x00, 0x41, 0x22, 0x1C, 0x00}, {0x08, 0x2A, 0x1C, 0x2A, 0x08}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x50, 0x30, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, {0x00, 0x60, 0x60, 0x00, 0x00},
    {0x20, 0x10, 0x08, 0x04, 0x02}, {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00},
    {0x42, 0x61, 0x51, 0x49, 0x46}, {0x21, 0x41, 0x45, 0x4B, 0x31}, {0x18, 0x14, 0x12, 0x7F, 0x10},
    {0x27, 0x45, 0x45, 0x45, 0x39}, {0x3C, 0x4A, 0x49, 0x49, 0x30}, {0x01, 0x71, 0x09, 0x05, 0x03},
    {0x36, 0x49, 0x49, 0x49, 0x36}, {0x06, 0x49, 0x49, 0x29, 0x1E}, {0x00, 0x36, 0x36, 0x00, 0x00},
    {0x00, 0x56, 0x36, 0x00, 0x00}, {0x08, 0x14, 0x22, 0x41, 0x00}, {0x14, 0x14, 0x14, 0x14, 0x14},
    {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x51, 0x09, 0x06}, {0x32, 0x49, 0x79, 0x41, 0x3E},
    {0x7E, 0x11, 0x11, 0x11, 0x7E}, {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x22, 0x1C}, {0x7F, 0x49, 0x49, 0x49, 0x41}, {0x7F, 0x09, 0x09, 0x09, 0x01},
    {0x3E, 0x41, 0x49, 0x49, 0x7A}, {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, {0x7F, 0x40, 0x40, 0x40, 0x40},
    {0x7F, 0x02, 0x0C, 0x02, 0x7F}, {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, {0x7F, 0x09, 0x19, 0x29, 0x46},
    {0x46, 0x49, 0x49, 0x49, 0x31}, {0x01, 0x01, 0x7F, 0x01, 0x01}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F}, {0x63, 0x14, 0x08, 0x14, 0x63},
    {0x07, 0x08, 0x70, 0x08, 0x07}, {0x61, 0x51, 0x49, 0x45, 0x43}, {0x00, 0x7F, 0x41, 0x41, 0x00},
    {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x7F, 0x00}, {0x04, 0x02, 0x01, 0x02, 0x04},
    {0x40, 0x40, 0x40, 0x40, 0x40}, {0x00, 0x01, 0x02, 0x04, 0x00}, {0x20, 0x54, 0x54, 0x54, 0x78},
    {0x7F, 0x48, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x20}, {0x38, 0x44, 0x44, 0x48, 0x7F},
    {0x38, 0x54, 0x54, 0x54, 0x18}, {0x08, 0x7E, 0x09, 0x01, 0x02}, {0x0C, 0x52, 0x52, 0x52, 0x3E},
    {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00}, {0x20, 0x40, 0x44, 0x3D, 0x00},
    {0x7F, 0x10, 0x28, 0x44, 0x00}, {0x00, 0x41, 0x7F, 0x40, 0x00}, {0x7C, 0x04, 0x18, 0x04, 0x78},
    {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38}, {0x7C, 0x14, 0x14, 0x14, 0x08},
    {0x08, 0x14, 0x14, 0x18, 0x7C}, {0x7C, 0x08, 0x04, 0x04, 0x08}, {0x48, 0x54, 0x54, 0x54, 0x20},
    {0x04, 0x3F, 0x44, 0x40, 0x20}, {0x3C, 0x40, 0x40, 0x20, 0x7C}, {0x1C, 0x20, 0x40, 0x20, 0x1C},
    {0x3C, 0x40, 0x30, 0x40, 0x3C}, {0x44, 0x28, 0x10, 0x28, 0x44}, {0x0C, 0x50, 0x50, 0x50, 0x3C},
    {0x44, 0x64, 0x54, 0x4C, 0x44}, {0x00, 0x08, 0x36, 0x41, 0x00}, {0x00, 0x00, 0x7F, 0x00, 0x00},
    {0x00, 0x41, 0x36, 0x08, 0x00}, {0x08, 0x04, 0x08, 0x10, 0x08},
};
constexpr int kGlyphHeight = 7;

const std::uint8_t* Glyph(wchar_t c) {
    if (c < 0x20 || c > 0x7E) c = L'?';
    return kGlyphs[c - 0x20];
}

// Glyphs are set by their inked columns, so that the font reads proportionally; a
// text too wide for its place is set without the column between glyphs.
int Advance(wchar_t c, bool tight = false) {
    if (c == L' ') return tight ? 2 : 3;
    const std::uint8_t* g = Glyph(c);
    int first = 0, last = 4;
    while (first < 5 && !g[first]) ++first;
    while (last > first && !g[last]) --last;
    return (first > last ? 3 : last - first + 2) - (tight ? 1 : 0);
}

int TextWidth(const std::wstring& text, bool tight = false) {
    int w = 0;
    for (wchar_t c : text) w += Advance(c, tight);
    return std::max(0, w - (tight ? 0 : 1));
}

class Canvas {
public:
    Canvas(int w, int h) {
        picture_.width = w;
        picture_.height = h;
        picture_.rgb.assign(static_cast<std::size_t>(w) * h * 3, 0);
        Fill(RECT{0, 0, w, h}, kBackground);
    }
    Picture Take() { return std::move(picture_); }

    void Pixel(int x, int y, Rgb c) {
        if (x < clip_.left || y < clip_.top || x >= clip_.right || y >= clip_.bottom) return;
        if (x < 0 || y < 0 || x >= picture_.width || y >= picture_.height) return;
        std::uint8_t* p = &picture_.rgb[(static_cast<std::size_t>(y) * picture_.width + x) * 3];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
    void Fill(const RECT& r, Rgb c) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) Pixel(x, y, c);
    }
    void Frame(const RECT& r, Rgb c) {
        for (int x = r.left; x < r.right; ++x) {
            Pixel(x, r.top, c);
            Pixel(x, r.bottom - 1, c);
        }
        for (int y = r.top; y < r.bottom; ++y) {
            Pixel(r.left, y, c);
            Pixel(r.right - 1, y, c);
        }
    }
    // Text in a rectangle, aligned 0 left, 1 centre, 2 right, and cut at its edges
    // (labels only at the top and bottom: they may run into the space beside them).
    void Text(const std::wstring& text, const RECT& r, int align, Rgb c, bool cutSides = true) {
        const bool tight = TextWidth(text) > r.right - r.left;
        const int w = TextWidth(text, tight);
        int x = r.left;
        if (align == 1) x = r.left + (r.right - r.left - w) / 2;
        if (align == 2) x = r.right - w;
        const int y = r.top + (r.bottom - r.top - kGlyphHeight) / 2;
        const RECT saved = clip_;
        clip_ =
            RECT{cutSides ? std::max(r.left, saved.left) : saved.left, std::max(r.top, saved.top),
                 cutSides ? std::min(r.right, saved.right) : saved.right,
                 std::min(r.bottom, saved.bottom)};
        for (wchar_t ch : text) {
            const std::uint8_t* g = Glyph(ch);
            int first = 0;
            while (first < 5 && !g[first]) ++first;
            if (first == 5) first = 0;
            for (int col = first; col < 5; ++col)
                for (int row = 0; row < kGlyphHeight; ++row)
                    if (g[col] & (1 << row)) Pixel(x + col - first, y + row, c);
            x += Advance(ch, tight);
        }
        clip_ = saved;
    }
    void TriangleDown(int cx, int top, Rgb c) {
        for (int row = 0; row < 3; ++row)
            for (int dx = -2 + row; dx <= 2 - row; ++dx) Pixel(cx + dx, top + row, c);
    }
    void TriangleUp(int cx, int top, Rgb c) {
        for (int row = 0; row < 3; ++row)
            for (int dx = -row; dx <= row; ++dx) Pixel(cx + dx, top + row, c);
    }

private:
    Picture picture_;
    RECT clip_{0, 0, 1 << 30, 1 << 30};
};

std::wstring WindowText(HWND w) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT Inset(RECT r, int d) { return RECT{r.left + d, r.top + d, r.right - d, r.bottom - d}; }

void PaintGroupBox(Canvas& canvas, const RECT& r, const std::wstring& text, Rgb textColour) {
    const int line = r.top + kGlyphHeight / 2;
    const RECT box{r.left, line, r.right, r.bottom};
    canvas.Frame(box, kFrameLine);
    if (text.empty()) return;
    const RECT label{r.left + 6, r.top, r.left + 10 + TextWidth(text), r.top + kGlyphHeight + 1};
    canvas.Fill(RECT{label.left, line, label.right, line + 1}, kBackground);
    canvas.Text(text, RECT{label.left + 2, r.top, label.right, r.top + kGlyphHeight}, 0,
                textColour);
}

void PaintControl(Canvas& canvas, HWND w) {
    const RECT r = winhost::WindowRectInParent(w);
    const std::wstring cls = winhost::WindowClass(w);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE));
    const bool enabled = IsWindowEnabled(w);
    const Rgb text = enabled ? kText : kGreyText;
    const std::wstring caption = WindowText(w);
    if (cls == L"BUTTON") {
        const DWORD type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX) return PaintGroupBox(canvas, r, caption, text);
        if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
            const int size = std::min<int>(11, std::min(r.right - r.left, r.bottom - r.top));
            const int top = r.top + (r.bottom - r.top - size) / 2;
            const RECT box{r.left, top, r.left + size, top + size};
            canvas.Fill(box, enabled ? kField : kButtonGrey);
            canvas.Frame(box, kFieldBorder);
            if (SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                const Rgb mark = enabled ? kCheckMark : kGreyText;
                for (int i = 0; i < 3; ++i)
                    canvas.Fill(
                        RECT{box.left + 2 + i, box.top + 5 + i, box.left + 3 + i, box.top + 7 + i},
                        mark);
                for (int i = 0; i < 5; ++i)
                    canvas.Fill(
                        RECT{box.left + 5 + i, box.top + 6 - i, box.left + 6 + i, box.top + 8 - i},
                        mark);
            }
            canvas.Text(caption, RECT{box.right + 3, r.top, r.right, r.bottom}, 0, text);
            return;
        }
        canvas.Fill(r, enabled ? kButtonFace : kButtonGrey);
        canvas.Frame(r, kFieldBorder);
        canvas.Text(caption, Inset(r, 2), 1, text);
        return;
    }
    if (cls == L"STATIC") {
        const DWORD align = style & SS_TYPEMASK;
        canvas.Text(caption, r, align == SS_RIGHT ? 2 : align == SS_CENTER ? 1 : 0, text, false);
        return;
    }
    if (cls == L"COMBOBOX") {
        // The closed drop-down: the field one line of text high, with its arrow.
        const RECT field{r.left, r.top, r.right, std::min<LONG>(r.bottom, r.top + 16)};
        canvas.Fill(field, enabled ? kField : kButtonGrey);
        canvas.Frame(field, kFieldBorder);
        const RECT arrow{field.right - 13, field.top + 1, field.right - 1, field.bottom - 1};
        canvas.Fill(arrow, enabled ? kButtonFace : kButtonGrey);
        canvas.TriangleDown((arrow.left + arrow.right) / 2, (arrow.top + arrow.bottom) / 2 - 1,
                            text);
        canvas.Text(caption, RECT{field.left + 3, field.top, arrow.left - 2, field.bottom}, 0,
                    text);
        return;
    }
    if (cls == L"CustEdit" || cls == L"EDIT") {
        canvas.Fill(r, enabled ? kField : kButtonGrey);
        canvas.Frame(r, kFieldBorder);
        canvas.Text(caption, RECT{r.left + 3, r.top, r.right - 2, r.bottom}, 0, text);
        return;
    }
    if (cls == L"SpinnerControl") {
        const int middle = (r.top + r.bottom) / 2;
        canvas.Fill(r, enabled ? kButtonFace : kButtonGrey);
        canvas.Frame(RECT{r.left, r.top, r.right, middle + 1}, kFieldBorder);
        canvas.Frame(RECT{r.left, middle, r.right, r.bottom}, kFieldBorder);
        const int cx = (r.left + r.right) / 2;
        canvas.TriangleUp(cx, r.top + (middle - r.top - 3) / 2 + 1, text);
        canvas.TriangleDown(cx, middle + (r.bottom - middle - 3) / 2, text);
        return;
    }
    if (cls == L"ColorSwatch") {
        const COLORREF c = winhost::GetSwatchColor(w);
        Rgb fill{GetRValue(c), GetGValue(c), GetBValue(c)};
        if (!enabled)
            fill = Rgb{static_cast<std::uint8_t>((fill.r + kBackground.r) / 2),
                       static_cast<std::uint8_t>((fill.g + kBackground.g) / 2),
                       static_cast<std::uint8_t>((fill.b + kBackground.b) / 2)};
        canvas.Fill(r, fill);
        canvas.Frame(r, kFieldBorder);
        return;
    }
    // CustButton and any other class: a push button showing its text.
    canvas.Fill(r, enabled ? kButtonFace : kButtonGrey);
    canvas.Frame(r, kFieldBorder);
    canvas.Text(caption, RECT{r.left + 2, r.top, r.right - 2, r.bottom}, 1, text);
}

}  // namespace

Picture PaintPanel(HWND panel) {
    RECT client{};
    GetClientRect(panel, &client);
    Canvas canvas(client.right, client.bottom);
    // Group boxes lie under the controls they hold.
    const std::vector<HWND> children = winhost::ChildWindows(panel);
    for (int pass = 0; pass < 2; ++pass) {
        for (HWND w : children) {
            if (!IsWindowVisible(w)) continue;
            const bool groupBox = winhost::WindowClass(w) == L"BUTTON" &&
                                  (GetWindowLongPtrW(w, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
            if (groupBox == (pass == 0)) PaintControl(canvas, w);
        }
    }
    return canvas.Take();
}
