// The COM core: strings, variants, streams, formatting and conversions.
#include <gtest/gtest.h>

#include <clocale>
#include <thread>

#include "platform/base.h"
#include "platform/com.h"
#include "platform/comobject.h"
#include "platform/stream.h"
#include "platform/variant.h"
#include "platform/wformat.h"

namespace {

std::u16string Wide(const char* text) { return Utf8ToWide(text, std::strlen(text)); }

TEST(Bstr, LengthPrefixAndTerminator)
{
    BSTR text = SysAllocString(u"abc");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 3u);
    EXPECT_EQ(SysStringByteLen(text), 6u);
    EXPECT_EQ(text[3], u'\0');
    uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<BYTE*>(text) - 4, 4);
    EXPECT_EQ(prefix, 6u);
    SysFreeString(text);

    BSTR embedded = SysAllocStringLen(u"a\0b", 3);
    EXPECT_EQ(SysStringLen(embedded), 3u);
    SysFreeString(embedded);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
}

TEST(Bstr, LocaleComparisonIsCaseSensitiveButAlphabetical)
{
    BSTR lower = SysAllocString(u"portrait");
    BSTR upper = SysAllocString(u"Portrait");
    BSTR other = SysAllocString(u"Landscape");
    BSTR empty = SysAllocString(u"");
    EXPECT_EQ(VarBstrCmp(upper, upper, LOCALE_USER_DEFAULT, 0), VARCMP_EQ);
    EXPECT_NE(VarBstrCmp(lower, upper, LOCALE_USER_DEFAULT, 0), VARCMP_EQ);
    EXPECT_EQ(VarBstrCmp(lower, upper, LOCALE_USER_DEFAULT, NORM_IGNORECASE), VARCMP_EQ);
    // "Landscape" sorts before "portrait" although 'L' < 'p' only by letter.
    EXPECT_EQ(VarBstrCmp(other, lower, LOCALE_USER_DEFAULT, 0), VARCMP_LT);
    EXPECT_EQ(VarBstrCmp(nullptr, empty, LOCALE_USER_DEFAULT, 0), VARCMP_EQ);
    EXPECT_EQ(VarBstrCmp(empty, other, LOCALE_USER_DEFAULT, 0), VARCMP_LT);
    for (BSTR s : {lower, upper, other, empty}) SysFreeString(s);
}

TEST(Variant, ClearReleasesWhatItOwns)
{
    struct Counted : ComObject<IUnknown> {
        void* InterfaceFor(REFIID) override { return nullptr; }
    };
    auto* object = new Counted;
    object->AddRef();
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UNKNOWN;
    value.punkVal = object;
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &value), S_OK);
    EXPECT_EQ(object->AddRef(), 4u);
    object->Release();
    VariantClear(&value);
    VariantClear(&copy);
    EXPECT_EQ(value.vt, VT_EMPTY);
    EXPECT_EQ(object->Release(), 0u);
}

TEST(MemoryStream, WriteSeekReadAndStat)
{
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ULONG written = 0;
    ASSERT_EQ(stream->Write("hello world", 11, &written), S_OK);
    EXPECT_EQ(written, 11u);
    LARGE_INTEGER move{};
    move.QuadPart = 6;
    ULARGE_INTEGER position{};
    ASSERT_EQ(stream->Seek(move, STREAM_SEEK_SET, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 6u);
    char buffer[16] = {};
    ULONG read = 0;
    ASSERT_EQ(stream->Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(read, 5u);
    EXPECT_STREQ(buffer, "world");
    // Reading at the end gives nothing, without failing.
    ASSERT_EQ(stream->Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(read, 0u);
    STATSTG stat{};
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 11u);
    move.QuadPart = -1;
    EXPECT_TRUE(FAILED(stream->Seek(move, STREAM_SEEK_SET, nullptr)));
    const BYTE* bytes = nullptr;
    size_t count = 0;
    ASSERT_EQ(GetMemoryStreamBytes(stream, &bytes, &count), S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), count), "hello world");
    stream->Release();
}

TEST(MemoryStream, ReadOnlyCopyRefusesWrites)
{
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnBytes("abc", 3, &stream), S_OK);
    EXPECT_TRUE(FAILED(stream->Write("x", 1, nullptr)));
    ISequentialStream* sequential = nullptr;
    ASSERT_EQ(stream->QueryInterface(IID_ISequentialStream, reinterpret_cast<void**>(&sequential)), S_OK);
    char buffer[4] = {};
    ULONG read = 0;
    sequential->Read(buffer, 3, &read);
    EXPECT_STREQ(buffer, "abc");
    sequential->Release();
    stream->Release();
}

TEST(Com, InitialisationIsPerThreadAndCounted)
{
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    std::thread other([] { EXPECT_FALSE(CoIsInitializedOnThread()); });
    other.join();
    CoUninitialize();
    EXPECT_TRUE(CoIsInitializedOnThread());
    CoUninitialize();
    EXPECT_FALSE(CoIsInitializedOnThread());
    void* object = nullptr;
    constexpr CLSID kUnknownClass = {0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), CO_E_NOTINITIALIZED);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    CoUninitialize();
}

TEST(Guid, FreshValuesAreVersion4AndRoundTrip)
{
    GUID a{}, b{};
    ASSERT_EQ(CoCreateGuid(&a), S_OK);
    ASSERT_EQ(CoCreateGuid(&b), S_OK);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.Data3 >> 12, 4);
    EXPECT_EQ(a.Data4[0] & 0xC0, 0x80);
    WCHAR text[39];
    ASSERT_EQ(StringFromGUID2(a, text, 39), 39);
    GUID parsed{};
    ASSERT_TRUE(GuidFromString(WideToUtf8(text).c_str(), &parsed));
    EXPECT_EQ(parsed, a);
    EXPECT_FALSE(GuidFromString("{12345678-1234-1234-1234-12345678901}", &parsed));
    EXPECT_EQ(StringFromGUID2(a, text, 38), 0);
}

TEST(Format, WideConversionsAndStrings)
{
    EXPECT_EQ(FormatWideString(u"/PT_%ws_%u_%u.xml", u"FI", 12u, 7u), u"/PT_FI_12_7.xml");
    EXPECT_EQ(FormatWideString(u"//%sFeature[@name = \"%s\"]", u"psf:", u"psk:PageMediaSize"),
              u"//psf:Feature[@name = \"psk:PageMediaSize\"]");
    EXPECT_EQ(FormatWideString(u"%i|%5d|%-5d|%05d|%+d|%x|%X|%#x", -42, 42, 42, -42, 7, 255u, 255u, 255u),
              u"-42|   42|42   |-0042|+7|ff|FF|0xff");
    EXPECT_EQ(FormatWideString(u"%hs and %S", "narrow", "also"), u"narrow and also");
    EXPECT_EQ(FormatWideString(u"%.3s|%6s|%-4s|", u"abcdef", u"ab", u"x"), u"abc|    ab|x   |");
    EXPECT_EQ(FormatWideString(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
    EXPECT_EQ(FormatWideString(u"%lld %llu %I64d", -9000000000ll, 18000000000ull, 5ll), u"-9000000000 18000000000 5");
    EXPECT_EQ(FormatWideString(u"100%% %c", u'x'), u"100% x");
    EXPECT_EQ(FormatNarrowString("%s=%ls", "name", u"w\u00e9rt"), "name=w\xc3\xa9rt");
}

TEST(Format, FloatsUseADotInEveryLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    // A comma locale, when the machine has one; the result must not change.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(FormatWideString(u"%.2f,%.6f", 1056.0, -0.5), u"1056.00,-0.500000");
    EXPECT_EQ(FormatWideString(u"%.2f %.2f %.0f", 0.125, 2.675, 2.5), u"0.12 2.67 2");
    EXPECT_EQ(FormatWideString(u"%f %e %g", 1.5, 12345.678, 0.0001), u"1.500000 1.234568e+04 0.0001");
    EXPECT_EQ(FormatWideString(u"%8.2f|%-8.2f|%08.2f", 3.14159, 3.14159, -3.14159), u"    3.14|3.14    |-0003.14");
    const WCHAR* end = nullptr;
    EXPECT_DOUBLE_EQ(WideToDouble(u"  816.5,1056", &end), 816.5);
    EXPECT_EQ(*end, u',');
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Format, CountsAndTruncates)
{
    WCHAR buffer[6];
    EXPECT_EQ(FormatWide(buffer, 6, u"%d-%d", 1234, 5678), 9);
    EXPECT_EQ(std::u16string(buffer), u"1234-");
    EXPECT_EQ(FormatWide(buffer, 6, u"%q", 1), -1);
    EXPECT_EQ(FormatWide(buffer, 6, nullptr), -1);
}

TEST(Parse, NumbersStopAtTheFirstStrangeCharacter)
{
    const WCHAR* end = nullptr;
    EXPECT_EQ(WideToInteger(u"  -2100xyz", &end), -2100);
    EXPECT_EQ(*end, u'x');
    EXPECT_EQ(WideToInteger(u"+7", nullptr), 7);
    EXPECT_EQ(WideToInteger(u"abc", &end), 0);
    EXPECT_EQ(WideToInteger(u"99999999999999999999999", nullptr), INT64_MAX);
    EXPECT_DOUBLE_EQ(WideToDouble(u"-1e3", nullptr), -1000.0);
    EXPECT_DOUBLE_EQ(WideToDouble(u"+.5", nullptr), 0.5);
    EXPECT_EQ(WideToDouble(u"--5", &end), 0.0);
    EXPECT_EQ(WideToDouble(u"", nullptr), 0.0);
}

TEST(CodePages, Utf8RoundTripWithSurrogatesAndBadInput)
{
    const char* text = "A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80";  // A, e acute, euro, emoji
    int needed = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    EXPECT_EQ(needed, 6);  // A, é, €, surrogate pair, terminator
    WCHAR wide[8];
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 8), 6);
    EXPECT_EQ(wide[3], 0xD83D);
    EXPECT_EQ(wide[4], 0xDE00);
    char back[16];
    ASSERT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, wide, -1, back, 16, nullptr, nullptr), 11);
    EXPECT_STREQ(back, text);

    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    // An overlong encoding of '/' and a lone continuation byte.
    const char* bad = "\xc0\xaf\x80";
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bad, 3, wide, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(Utf8ToWide(bad, 3), std::u16string(3, u'\xFFFD'));
    const char16_t lone[] = {u'a', 0xD800, u'b'};
    EXPECT_EQ(WideToUtf8(lone, 3),
              "a\xef\xbf\xbd"
              "b");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 3, back, 16, nullptr, nullptr), 0);
    EXPECT_EQ(Wide("x"), u"x");
}

// ASCII runs are converted in blocks: a character of two, three or four
// bytes at any place of a text, across blocks, must come out as its bytes.
TEST(CodePages, EveryCharacterIsFoundInsideAsciiRuns)
{
    const std::pair<std::u16string, std::string> characters[] = {
        {u"\u00e9", "\xc3\xa9"}, {u"\u20ac", "\xe2\x82\xac"}, {u"\U0001F600", "\xf0\x9f\x98\x80"}, {u"\u007f", "\x7f"}};
    for (size_t length = 1; length <= 24; ++length) {
        for (size_t at = 0; at < length; ++at) {
            for (const auto& [wide, utf8] : characters) {
                std::u16string text;
                std::string expected;
                for (size_t i = 0; i < length; ++i) {
                    char ascii = static_cast<char>('a' + i % 26);
                    text += i == at ? wide : std::u16string(1, static_cast<char16_t>(ascii));
                    expected += i == at ? utf8 : std::string(1, ascii);
                }
                EXPECT_EQ(WideToUtf8(text), expected) << length << " " << at;
            }
        }
    }
}

TEST(Heap, ReallocationKeepsContentAndZeroesGrowth)
{
    HANDLE heap = GetProcessHeap();
    auto* block = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 4));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "abc", 4);
    block = static_cast<char*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, block, 64));
    ASSERT_NE(block, nullptr);
    EXPECT_STREQ(block, "abc");
    for (int i = 4; i < 64; ++i) EXPECT_EQ(block[i], 0);
    EXPECT_TRUE(HeapFree(heap, 0, block));
}

TEST(Interlocked, CountsAcrossThreads)
{
    LONG volatile counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) InterlockedIncrement(&counter);
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(counter, 40000);
    EXPECT_EQ(InterlockedCompareExchange(&counter, 1, 40000), 40000);
    EXPECT_EQ(counter, 1);
}

TEST(Time, FileTimeIsAfter2020AndTicksMove)
{
    FILETIME now{};
    ASSERT_EQ(CoFileTimeNow(&now), S_OK);
    ULONGLONG value = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // 2020-01-01 is 132223104000000000 in FILETIME units.
    EXPECT_GT(value, 132223104000000000ull);
    DWORD first = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(GetTickCount() - first, 15u);
}

}  // namespace
