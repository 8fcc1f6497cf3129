#include "platform/guid.h"

#include <cstdio>
#include <random>

#include "platform/hresult.h"

HRESULT CoCreateGuid(GUID* guid)
{
    if (guid == nullptr) return E_INVALIDARG;
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    uint64_t high = generator();
    uint64_t low = generator();
    guid->Data1 = static_cast<uint32_t>(high >> 32);
    guid->Data2 = static_cast<uint16_t>(high >> 16);
    // Version 4 (random) in the top nibble of Data3, variant 10 in Data4[0].
    guid->Data3 = static_cast<uint16_t>((high & 0x0FFF) | 0x4000);
    for (int i = 0; i < 8; ++i) guid->Data4[i] = static_cast<uint8_t>(low >> (56 - 8 * i));
    guid->Data4[0] = static_cast<uint8_t>((guid->Data4[0] & 0x3F) | 0x80);
    return S_OK;
}

int StringFromGUID2(REFGUID guid, WCHAR* buffer, int capacity)
{
    constexpr int kLength = 38;
    if (buffer == nullptr || capacity < kLength + 1) return 0;
    char text[kLength + 1];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
                  guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    for (int i = 0; i <= kLength; ++i) buffer[i] = static_cast<WCHAR>(text[i]);
    return kLength + 1;
}

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ReadHex(const char*& text, int digits, uint64_t* value)
{
    *value = 0;
    for (int i = 0; i < digits; ++i) {
        int digit = HexValue(*text);
        if (digit < 0) return false;
        *value = (*value << 4) | static_cast<uint64_t>(digit);
        ++text;
    }
    return true;
}

}  // namespace

bool GuidFromString(const char* text, GUID* guid)
{
    if (text == nullptr || guid == nullptr) return false;
    bool braced = *text == '{';
    if (braced) ++text;
    uint64_t value = 0;
    GUID result{};
    if (!ReadHex(text, 8, &value) || *text++ != '-') return false;
    result.Data1 = static_cast<uint32_t>(value);
    if (!ReadHex(text, 4, &value) || *text++ != '-') return false;
    result.Data2 = static_cast<uint16_t>(value);
    if (!ReadHex(text, 4, &value) || *text++ != '-') return false;
    result.Data3 = static_cast<uint16_t>(value);
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && *text++ != '-') return false;
        if (!ReadHex(text, 2, &value)) return false;
        result.Data4[i] = static_cast<uint8_t>(value);
    }
    if (braced && *text++ != '}') return false;
    if (*text != '\0') return false;
    *guid = result;
    return true;
}
