#include "platform/gdi.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include "scaled_font.h"

// A font object: its LOGFONTW and the face measured for it, or a stock
// font whose face is found when it is first measured.
struct GdiObject {
    LOGFONTW logfont{};
    std::unique_ptr<tav::text::ScaledFont> font;
    bool stock = false;
};

struct DeviceContext {
    HGDIOBJ selected = nullptr;
};

namespace {

// Every live handle; all calls work under one lock, so handles may be used
// from any thread.
struct Handles {
    std::mutex lock;
    std::set<const DeviceContext*> contexts;
    std::set<const GdiObject*> objects;
    GdiObject* stockFont = nullptr;
};

// Never destroyed: contexts may be deleted after static destructors ran.
Handles& State()
{
    static Handles* state = new Handles;
    return *state;
}

bool IsLive(const Handles& state, HDC dc) { return dc != nullptr && state.contexts.count(dc) != 0; }
bool IsLive(const Handles& state, HGDIOBJ object) { return object != nullptr && state.objects.count(object) != 0; }

// The font a fresh context holds: the default face at the default size.
GdiObject* StockFont(Handles& state)
{
    if (state.stockFont == nullptr) {
        state.stockFont = new GdiObject;
        state.stockFont->logfont.lfWeight = FW_NORMAL;
        state.stockFont->stock = true;
        state.objects.insert(state.stockFont);
    }
    return state.stockFont;
}

// The face of the font selected into dc, creating a stock font's face on
// first use; null with the last error set.
tav::text::ScaledFont* SelectedFont(Handles& state, HDC dc)
{
    if (!IsLive(state, dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    GdiObject* object = dc->selected;
    if (!object->font) {
        DWORD error = ERROR_SUCCESS;
        object->font = tav::text::ScaledFont::Create(object->logfont, &error);
        if (!object->font) {
            SetLastError(error);
            return nullptr;
        }
    }
    return object->font.get();
}

bool EqualsDisplay(LPCWSTR text)
{
    static constexpr char16_t kDisplay[] = u"DISPLAY";
    return text != nullptr && std::char_traits<char16_t>::compare(text, kDisplay, 8) == 0;
}

// The code point of the character at text[i] and the units it takes: a
// surrogate pair is one character; an unpaired surrogate stands for itself.
char32_t CharacterAt(LPCWSTR text, int count, int i, int* units)
{
    char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        *units = 2;
        return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    }
    *units = 1;
    return unit;
}

}  // namespace

HDC CreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR port, const void* devmode)
{
    if (!EqualsDisplay(driver) || device != nullptr || port != nullptr || devmode != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Handles& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    auto* dc = new DeviceContext;
    dc->selected = StockFont(state);
    state.contexts.insert(dc);
    return dc;
}

BOOL DeleteDC(HDC dc)
{
    Handles& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!IsLive(state, dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    state.contexts.erase(dc);
    delete dc;
    return TRUE;
}

int GetDeviceCaps(HDC dc, int index)
{
    Handles& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!IsLive(state, dc)) return 0;
    return index == LOGPIXELSX || index == LOGPIXELSY ? 96 : 0;
}

HFONT CreateFontIndirectW(const LOGFONTW* logfont)
{
    if (logfont == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_unique<GdiObject>();
    object->logfont = *logfont;
    // The face name need not be terminated within its 32 units.
    object->logfont.lfFaceName[LF_FACESIZE - 1] = 0;
    DWORD error = ERROR_SUCCESS;
    object->font = tav::text::ScaledFont::Create(object->logfont, &error);
    if (!object->font) {
        SetLastError(error);
        return nullptr;
    }
    Handles& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.objects.insert(object.get());
    return object.release();
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    Handles& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!IsLive(state, dc) || !IsLive(state, object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HGDIOBJ previous = dc->selected;
    dc->selected = object;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    Handles& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!IsLive(state, object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->stock) return TRUE;
    // A font still selected into a context is not deleted: the context
    // would be left without a font. It is deleted once replaced.
    for (const DeviceContext* dc : state.contexts) {
        if (dc->selected == object) {
            SetLastError(ERROR_BUSY);
            return FALSE;
        }
    }
    state.objects.erase(object);
    delete object;
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size)
{
    if ((text == nullptr && count != 0) || count < 0 || size == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Handles& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    tav::text::ScaledFont* font = SelectedFont(state, dc);
    if (font == nullptr) return FALSE;
    int64_t width = 0;
    for (int i = 0; i < count;) {
        int units = 1;
        width += font->Advance(CharacterAt(text, count, i, &units));
        i += units;
    }
    size->cx = static_cast<LONG>(std::min<int64_t>(width, INT32_MAX));
    size->cy = font->Metrics().tmHeight;
    return TRUE;
}

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics)
{
    if (metrics == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Handles& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    tav::text::ScaledFont* font = SelectedFont(state, dc);
    if (font == nullptr) return FALSE;
    *metrics = font->Metrics();
    return TRUE;
}

int GetTextFaceW(HDC dc, int count, LPWSTR name)
{
    Handles& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    tav::text::ScaledFont* font = SelectedFont(state, dc);
    if (font == nullptr) return 0;
    const std::u16string& family = font->FamilyName();
    int needed = static_cast<int>(family.size()) + 1;
    if (name == nullptr) return needed;
    if (count <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int copied = std::min(needed - 1, count - 1);
    std::copy_n(family.data(), copied, name);
    name[copied] = 0;
    return copied + 1;
}

DWORD GetFontData(HDC dc, DWORD table, DWORD offset, void* buffer, DWORD size)
{
    Handles& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    tav::text::ScaledFont* font = SelectedFont(state, dc);
    if (font == nullptr) return GDI_ERROR;
    const BYTE* data = nullptr;
    size_t length = 0;
    if (!font->TableData(table, &data, &length)) {
        SetLastError(ERROR_NOT_FOUND);
        return GDI_ERROR;
    }
    // GDI_ERROR itself cannot be a length.
    if (offset > length || length - offset >= GDI_ERROR) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    size_t available = length - offset;
    if (buffer == nullptr || size == 0) return static_cast<DWORD>(available);
    size_t copied = std::min<size_t>(available, size);
    std::memcpy(buffer, data + offset, copied);
    return static_cast<DWORD>(copied);
}
