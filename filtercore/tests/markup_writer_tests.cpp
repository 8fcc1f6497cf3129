// MarkupWriter: pending text, the flush threshold, UTF-8 output, flushing on
// destruction, write failures and Escape.
#include <gtest/gtest.h>

#include <string>

#include "filtercore/copy_page_writer.h"
#include "filtercore/markup_escape.h"
#include "platform/stream.h"
#include "testsupport/content.h"

namespace {

using namespace testsupport;

// A writer over a part content that records every write.
struct Target {
    std::shared_ptr<PartContent> content = std::make_shared<PartContent>();
    ComPtr<IPrintWriteStream> stream;
    Target() { EXPECT_EQ(OpenWriteStream(content, stream.Out()), S_OK); }
    // The bytes written so far (the content itself changes on Close only).
    std::string Written()
    {
        stream->Close();
        return content->Bytes();
    }
};

ComPtr<MarkupWriter> WriterOver(IPrintWriteStream* stream)
{
    return ComPtr<MarkupWriter>::Adopt(new CopyPageWriter(stream));
}

TEST(MarkupWriter, FlushesOnlyWhenThePendingTextIsLongerThanTheThreshold)
{
    Target target;
    auto writer = WriterOver(target.stream.Get());
    std::u16string block(327679, u'a');
    EXPECT_EQ(writer->Append(block.c_str(), S_OK), S_OK);
    EXPECT_EQ(writer->PendingLength(), 327679u);
    // 327,679 characters are not more than the threshold: nothing is written.
    EXPECT_EQ(writer->Append(u"b", S_OK), S_OK);
    EXPECT_TRUE(target.content->WriteSizes().empty());
    EXPECT_EQ(writer->PendingLength(), 327680u);
    // 327,680 are: they go out in one write before the text is appended.
    EXPECT_EQ(writer->Append(u"c", S_OK), S_OK);
    EXPECT_EQ(target.content->WriteSizes(), std::vector<ULONG>{327680});
    EXPECT_EQ(writer->PendingLength(), 1u);
    writer.Reset();
    EXPECT_EQ(target.content->WriteSizes(), (std::vector<ULONG>{327680, 1}));
    EXPECT_EQ(target.Written(), std::string(327679, 'a') + "bc");
}

TEST(MarkupWriter, KeepsTheLengthOfManySmallAppendsAcrossFlushes)
{
    Target target;
    auto writer = WriterOver(target.stream.Get());
    // 100,000 appends of 7 characters: the pending text passes the threshold
    // after every 46,812 appends (327,684 characters) and is flushed before
    // the next one; twice, leaving 6,376 appends (44,632 characters).
    std::string expected;
    for (int i = 0; i < 100000; ++i) {
        EXPECT_EQ(writer->Append(u"<Path/>", S_OK), S_OK);
        expected += "<Path/>";
    }
    EXPECT_EQ(target.content->WriteSizes(), (std::vector<ULONG>{327684, 327684}));
    EXPECT_EQ(writer->PendingLength(), 44632u);
    writer.Reset();
    EXPECT_EQ(target.Written(), expected);
}

TEST(MarkupWriter, CarriesTheCallersResultUnlessAFlushReplacesIt)
{
    Target target;
    auto writer = WriterOver(target.stream.Get());
    EXPECT_EQ(writer->Append(u"x", S_FALSE), S_FALSE);
    std::u16string block(327680, u'a');
    EXPECT_EQ(writer->Append(block.c_str(), S_OK), S_OK);
    EXPECT_EQ(writer->Append(u"y", E_ABORT), S_OK);  // the flush succeeded
    EXPECT_EQ(writer->Append(block.c_str(), S_OK), S_OK);
    target.stream->Close();
    // Now the stream refuses writes: the flush result replaces the carried one.
    EXPECT_EQ(writer->Append(u"z", S_OK), E_UNEXPECTED);
}

TEST(MarkupWriter, WritesASmallPageInOneCallFromItsDestructor)
{
    Target target;
    auto writer = WriterOver(target.stream.Get());
    std::u16string markup(100, u'p');
    EXPECT_EQ(writer->Append(markup.c_str(), S_OK), S_OK);
    EXPECT_TRUE(target.content->WriteSizes().empty());
    writer.Reset();
    EXPECT_EQ(target.content->WriteSizes(), std::vector<ULONG>{100});
    EXPECT_EQ(target.content->CloseCount(), 0);  // closing is the caller's business
}

TEST(MarkupWriter, WritesUtf8WithoutByteOrderMark)
{
    Target target;
    auto writer = WriterOver(target.stream.Get());
    EXPECT_EQ(writer->startDocument(), S_OK);
    // U+00A9, U+20AC and U+1F600 (a surrogate pair) in UTF-8.
    EXPECT_EQ(writer->Append(u"\u00A9\u20AC\U0001F600", S_OK), S_OK);
    EXPECT_EQ(writer->Flush(), S_OK);
    EXPECT_EQ(target.content->WriteSizes(), std::vector<ULONG>{38 + 2 + 3 + 4});
    EXPECT_EQ(target.Written(), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\xC2\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(MarkupWriter, FlushWithNothingPendingWritesNothing)
{
    Target target;
    auto writer = WriterOver(target.stream.Get());
    EXPECT_EQ(writer->Append(nullptr, S_OK), S_OK);
    EXPECT_EQ(writer->Flush(), S_OK);
    writer.Reset();
    EXPECT_TRUE(target.content->WriteSizes().empty());
}

TEST(MarkupWriter, EmptiesThePendingTextWhenTheWriteFails)
{
    Target target;
    auto writer = WriterOver(target.stream.Get());
    target.stream->Close();
    EXPECT_EQ(writer->Append(u"lost", S_OK), S_OK);
    EXPECT_EQ(writer->Flush(), E_UNEXPECTED);
    EXPECT_EQ(writer->PendingLength(), 0u);
    EXPECT_EQ(writer->Flush(), S_OK);
}

// Takes one byte less than it is given.
class ShortWriteStream final : public ComObject<IPrintWriteStream> {
public:
    HRESULT WriteBytes(const void*, ULONG count, ULONG* written) override
    {
        *written = count - 1;
        return S_OK;
    }
    void Close() override {}

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintWriteStream ? static_cast<IPrintWriteStream*>(this) : nullptr;
    }
};

TEST(MarkupWriter, ReportsAStreamThatTookLessThanItWasGiven)
{
    auto stream = ComPtr<ShortWriteStream>::Adopt(new ShortWriteStream);
    auto writer = WriterOver(stream.Get());
    EXPECT_EQ(writer->Append(u"<FixedPage/>", S_OK), S_OK);
    EXPECT_EQ(writer->Flush(), STG_E_WRITEFAULT);
}

// A writer into a sequential stream, for the constructor derived writers use.
class MemoryWriter final : public MarkupWriter {
public:
    explicit MemoryWriter(ISequentialStream* stream) : MarkupWriter(stream) {}
};

TEST(MarkupWriter, WritesIntoASequentialStreamWhenItHasNoWriteStream)
{
    ComPtr<IStream> memory;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, memory.Out()), S_OK);
    auto writer = ComPtr<MarkupWriter>::Adopt(new MemoryWriter(memory.Get()));
    EXPECT_EQ(writer->startDocument(), S_OK);
    EXPECT_EQ(writer->Append(u"<FixedPage/>", S_OK), S_OK);
    writer.Reset();
    const BYTE* bytes = nullptr;
    size_t count = 0;
    ASSERT_EQ(GetMemoryStreamBytes(memory.Get(), &bytes, &count), S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), count),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><FixedPage/>");
}

TEST(MarkupWriter, RefusesANullStream)
{
    EXPECT_THROW(CopyPageWriter(nullptr), CXDException);
    try {
        MemoryWriter writer(nullptr);
        FAIL() << "a writer without stream was made";
    } catch (const CXDException& e) {
        EXPECT_EQ(e.hr, E_POINTER);
    }
}

TEST(MarkupWriter, AnswersOnlyTheContentHandlerInterface)
{
    Target target;
    auto writer = WriterOver(target.stream.Get());
    ComPtr<ISAXContentHandler> handler;
    EXPECT_EQ(writer.As(IID_ISAXContentHandler, &handler), S_OK);
    ComPtr<IStream> other;
    EXPECT_EQ(writer.As(IID_IStream, &other), E_NOINTERFACE);
}

std::u16string Escaped(const char16_t* text)
{
    BSTR value = SysAllocString(text);
    EXPECT_EQ(MarkupWriter::Escape(&value), S_OK);
    std::u16string result(value, SysStringLen(value));
    SysFreeString(value);
    return result;
}

TEST(MarkupWriterEscape, ReplacesTheFiveMarkupCharactersOnce)
{
    EXPECT_EQ(Escaped(u"&lt;"), u"&amp;lt;");
    EXPECT_EQ(Escaped(u"a<b>c\"d'e&f"), u"a&lt;b&gt;c&quot;d&apos;e&amp;f");
    EXPECT_EQ(Escaped(u"plain text"), u"plain text");
    // Outside attribute values, white space stays as it is.
    EXPECT_EQ(Escaped(u"a\tb\nc"), u"a\tb\nc");
}

// Long texts are looked through in blocks: a character to replace is found
// at every place in a block and across blocks, next to characters that
// have none, including those near it in code.
TEST(MarkupWriterEscape, FindsEveryReplacementWhereverItStands)
{
    const std::u16string plain = u"M 12.5,0 L 3,;=?@ Z\u00e9\u0426";
    const std::pair<char16_t, std::u16string> text[] = {
        {u'&', u"&amp;"}, {u'<', u"&lt;"}, {u'>', u"&gt;"}, {u'"', u"&quot;"}, {u'\'', u"&apos;"}};
    const std::pair<char16_t, std::u16string> blanks[] = {{u'\t', u"&#x9;"}, {u'\n', u"&#xA;"}, {u'\r', u"&#xD;"}};
    for (size_t length = 1; length <= 2 * plain.size(); ++length) {
        std::u16string base;
        while (base.size() < length) base += plain;
        base.resize(length);
        for (size_t at = 0; at < length; ++at) {
            for (const auto& [c, entity] : text) {
                std::u16string input = base;
                input[at] = c;
                std::u16string expected = base.substr(0, at) + entity + base.substr(at + 1);
                std::u16string out = u"x";
                AppendEscaped(out, input);
                EXPECT_EQ(out, u"x" + expected);
                out.clear();
                AppendEscapedAttributeValue(out, input);
                EXPECT_EQ(out, expected);
            }
            for (const auto& [c, entity] : blanks) {
                std::u16string input = base;
                input[at] = c;
                std::u16string out;
                AppendEscaped(out, input);
                EXPECT_EQ(out, input);
                out.clear();
                AppendEscapedAttributeValue(out, input);
                EXPECT_EQ(out, base.substr(0, at) + entity + base.substr(at + 1));
            }
        }
    }
}

TEST(MarkupWriterEscape, LeavesEmptyValuesAndRefusesANullPointer)
{
    BSTR none = nullptr;
    EXPECT_EQ(MarkupWriter::Escape(&none), S_OK);
    EXPECT_EQ(none, nullptr);
    BSTR empty = SysAllocString(u"");
    BSTR before = empty;
    EXPECT_EQ(MarkupWriter::Escape(&empty), S_OK);
    EXPECT_EQ(empty, before);
    SysFreeString(empty);
    EXPECT_EQ(MarkupWriter::Escape(nullptr), E_POINTER);
}

}  // namespace
