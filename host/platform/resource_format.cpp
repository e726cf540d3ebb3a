#include "resource_format.h"

#include <cstdint>
#include <string>

namespace winres {

namespace {

// Reads little-endian fields of a block of bytes, refusing to pass its end.
class Cursor {
public:
    Cursor(const void* data, std::size_t size)
        : data_(static_cast<const unsigned char*>(data)), size_(size) {}

    bool Ok() const { return ok_; }
    std::size_t Pos() const { return pos_; }
    std::size_t Left() const { return ok_ ? size_ - pos_ : 0; }

    WORD Word() {
        if (!Need(2)) return 0;
        const WORD v = static_cast<WORD>(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    DWORD Dword() {
        const DWORD lo = Word();
        return lo | static_cast<DWORD>(Word()) << 16;
    }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() {
        if (!Need(1)) return 0;
        return data_[pos_++];
    }
    void Skip(std::size_t n) {
        if (Need(n)) pos_ += n;
    }
    // To the next multiple of `n` bytes from the start of the block.
    void Align(std::size_t n) {
        const std::size_t rest = pos_ % n;
        if (rest) Skip(n - rest);
    }
    // UTF-16 text up to its terminator.
    std::wstring Text() {
        std::u16string units;
        while (ok_) {
            const WORD u = Word();
            if (!ok_ || u == 0) break;
            units.push_back(static_cast<char16_t>(u));
        }
        return Widen(units);
    }
    // A field that is empty (0x0000), a number (0xFFFF, then the number) or a text.
    NameOrId NameOrNumber() {
        NameOrId field;
        if (!Need(2)) return field;
        const WORD first = static_cast<WORD>(data_[pos_] | data_[pos_ + 1] << 8);
        if (first == 0x0000) {
            pos_ += 2;
        } else if (first == 0xFFFF) {
            pos_ += 2;
            field.isId = true;
            field.id = Word();
        } else {
            field.text = Text();
        }
        return field;
    }

    // UTF-16 code units as wide characters.
    static std::wstring Widen(const std::u16string& units) {
        std::wstring out;
        out.reserve(units.size());
        for (std::size_t k = 0; k < units.size(); ++k) {
            std::uint32_t u = units[k];
            if constexpr (sizeof(wchar_t) >= 4) {
                // A pair of surrogates is one character here; a lone one stays a
                // code unit, as Windows keeps it.
                if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units.size() && units[k + 1] >= 0xDC00 &&
                    units[k + 1] <= 0xDFFF) {
                    u = 0x10000 + ((u - 0xD800) << 10) + (units[k + 1] - 0xDC00);
                    ++k;
                }
            }
            out.push_back(static_cast<wchar_t>(u));
        }
        return out;
    }

private:
    bool Need(std::size_t n) {
        if (ok_ && n <= size_ - pos_) return true;
        ok_ = false;
        return false;
    }

    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// The class a template names by number.
std::wstring PredefinedClass(WORD atom) {
    switch (atom) {
        case 0x80:
            return L"BUTTON";
        case 0x81:
            return L"EDIT";
        case 0x82:
            return L"STATIC";
        case 0x83:
            return L"LISTBOX";
        case 0x84:
            return L"SCROLLBAR";
        case 0x85:
            return L"COMBOBOX";
    }
    return L"#" + std::to_wstring(atom);
}

}  // namespace

bool ReadResFile(const unsigned char* bytes, std::size_t size, std::vector<Resource>* resources,
                 std::string* error) {
    resources->clear();
    std::size_t offset = 0;
    auto fail = [&](const std::string& why) {
        resources->clear();
        if (error) *error = "resource at byte " + std::to_string(offset) + ": " + why;
        return false;
    };
    while (offset < size) {
        Cursor header(bytes + offset, size - offset);
        const DWORD dataSize = header.Dword();
        const DWORD headerSize = header.Dword();
        if (!header.Ok()) return fail("the header is cut short");
        // The header: its two sizes, type, name, then 16 bytes of fixed fields.
        if (headerSize < 32 || headerSize % 4 != 0 || headerSize > size - offset)
            return fail("the header size " + std::to_string(headerSize) + " is impossible");
        Cursor fields(bytes + offset, headerSize);
        fields.Skip(8);
        const NameOrId type = fields.NameOrNumber();
        const NameOrId name = fields.NameOrNumber();
        fields.Align(4);
        fields.Dword();  // DataVersion
        fields.Word();   // MemoryFlags
        const WORD language = fields.Word();
        fields.Dword();  // Version
        fields.Dword();  // Characteristics
        if (!fields.Ok()) return fail("the header's fields overrun its size");
        if (dataSize > size - offset - headerSize) return fail("the data runs past the file's end");

        Resource r;
        r.typeIsId = type.isId;
        r.typeId = type.id;
        r.typeName = type.text;
        r.nameIsId = name.isId;
        r.nameId = name.id;
        r.name = name.text;
        r.language = language;
        r.data = bytes + offset + headerSize;
        r.size = dataSize;
        // Every .res file opens with an empty entry of type and name 0.
        const bool opening = type.isId && type.id == 0 && name.isId && name.id == 0;
        if (!opening) resources->push_back(r);

        const std::size_t step =
            headerSize + ((static_cast<std::size_t>(dataSize) + 3) & ~static_cast<std::size_t>(3));
        offset += step;
        if (offset > size) offset = size;  // the last entry's padding may be missing
    }
    return true;
}

bool ReadStringBlock(const void* data, std::size_t size, std::array<std::wstring, 16>* strings) {
    Cursor c(data, size);
    for (std::wstring& s : *strings) {
        const WORD length = c.Word();
        std::u16string units;
        units.reserve(length);
        for (WORD k = 0; k < length && c.Ok(); ++k)
            units.push_back(static_cast<char16_t>(c.Word()));
        s = Cursor::Widen(units);
    }
    return c.Ok();
}

bool ReadDialogTemplate(const void* data, std::size_t size, DialogTemplate* dialog) {
    Cursor c(data, size);
    DialogTemplate d;
    WORD count = 0;
    const WORD version = c.Word();
    const WORD signature = c.Word();
    d.extended = version == 1 && signature == 0xFFFF;
    if (d.extended) {
        d.helpId = c.Dword();
        d.exStyle = c.Dword();
        d.style = c.Dword();
    } else {
        d.style = static_cast<DWORD>(version) | static_cast<DWORD>(signature) << 16;
        d.exStyle = c.Dword();
    }
    count = c.Word();
    d.x = c.Short();
    d.y = c.Short();
    d.cx = c.Short();
    d.cy = c.Short();
    d.menu = c.NameOrNumber();
    d.windowClass = c.NameOrNumber();
    d.caption = c.Text();
    if (d.style & DS_SETFONT) {
        d.pointSize = c.Word();
        if (d.extended) {
            d.weight = c.Word();
            d.italic = c.Byte();
            d.charset = c.Byte();
        }
        d.typeface = c.Text();
    }
    for (WORD i = 0; i < count && c.Ok(); ++i) {
        c.Align(4);
        DialogItem item;
        if (d.extended) {
            item.helpId = c.Dword();
            item.exStyle = c.Dword();
            item.style = c.Dword();
        } else {
            item.style = c.Dword();
            item.exStyle = c.Dword();
        }
        item.x = c.Short();
        item.y = c.Short();
        item.cx = c.Short();
        item.cy = c.Short();
        item.id = d.extended ? c.Dword() : c.Word();
        const NameOrId cls = c.NameOrNumber();
        item.windowClass = cls.isId ? PredefinedClass(cls.id) : cls.text;
        item.text = c.NameOrNumber();
        const WORD extra = c.Word();
        if (extra > c.Left()) return false;
        item.creationData.resize(extra);
        for (WORD k = 0; k < extra; ++k) item.creationData[k] = c.Byte();
        d.items.push_back(std::move(item));
    }
    if (!c.Ok()) return false;
    *dialog = std::move(d);
    return true;
}

}  // namespace winres
