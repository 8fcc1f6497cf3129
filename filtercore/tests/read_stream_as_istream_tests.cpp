// ReadStreamAsIStream: the per-user ticket's read stream seen as an IStream.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "filtercore/read_stream_as_istream.h"
#include "platform/com.h"
#include "testsupport/content.h"

namespace {

using testsupport::OpenReadStream;
using testsupport::PartContent;

ComPtr<IStream> Wrap(const std::string& bytes)
{
    PartContent content(bytes);
    ComPtr<IPrintReadStream> stream;
    EXPECT_EQ(OpenReadStream(content, stream.Out()), S_OK);
    ComPtr<IStream> wrapper;
    EXPECT_EQ(ReadStreamAsIStream::Create(stream.Get(), wrapper.Out()), S_OK);
    return wrapper;
}

LARGE_INTEGER Offset(LONGLONG value)
{
    LARGE_INTEGER offset;
    offset.QuadPart = value;
    return offset;
}

TEST(ReadStreamAsIStream, ReadsAndSeeksThroughTheReadStream)
{
    ComPtr<IStream> stream = Wrap("0123456789");
    char buffer[8] = {};
    ULONG read = 99;
    EXPECT_EQ(stream->Read(buffer, 4, &read), S_OK);
    EXPECT_EQ(read, 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");

    ULARGE_INTEGER position{};
    EXPECT_EQ(stream->Seek(Offset(-3), STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 7u);
    EXPECT_EQ(stream->Read(buffer, 8, &read), S_OK);
    EXPECT_EQ(std::string(buffer, read), "789");

    // A count of 0 reads nothing and succeeds.
    read = 99;
    EXPECT_EQ(stream->Read(buffer, 0, &read), S_OK);
    EXPECT_EQ(read, 0u);
    // The seek's own failure comes back.
    EXPECT_EQ(stream->Seek(Offset(-1), STREAM_SEEK_SET, nullptr), STG_E_INVALIDFUNCTION);
}

TEST(ReadStreamAsIStream, RefusesNullPointers)
{
    ComPtr<IStream> stream = Wrap("abc");
    char buffer[4];
    ULONG read = 0;
    EXPECT_EQ(stream->Read(nullptr, 3, &read), E_POINTER);
    EXPECT_EQ(stream->Read(buffer, 3, nullptr), E_POINTER);
    EXPECT_EQ(stream->Stat(nullptr, STATFLAG_DEFAULT), E_POINTER);

    ComPtr<IStream> none;
    EXPECT_EQ(ReadStreamAsIStream::Create(nullptr, none.Out()), E_POINTER);
    EXPECT_FALSE(none);
}

TEST(ReadStreamAsIStream, StatGivesNameSizeAndModeAndKeepsThePosition)
{
    ComPtr<IStream> stream = Wrap(std::string(1000, 'x'));
    char buffer[10];
    ULONG read = 0;
    ASSERT_EQ(stream->Read(buffer, 10, &read), S_OK);

    STATSTG stat;
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    ASSERT_NE(stat.pwcsName, nullptr);
    EXPECT_EQ(std::u16string(stat.pwcsName), u"PrintReadStream");
    CoTaskMemFree(stat.pwcsName);
    EXPECT_EQ(stat.type, STGTY_STREAM);
    EXPECT_EQ(stat.cbSize.QuadPart, 1000u);
    EXPECT_EQ(stat.grfMode, 0x20u);
    EXPECT_EQ(stat.grfLocksSupported, 1u);
    // Finding the size went to the end and came back.
    ULARGE_INTEGER position{};
    EXPECT_EQ(stream->Seek(Offset(0), STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 10u);

    ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.pwcsName, nullptr);
    EXPECT_EQ(stat.cbSize.QuadPart, 1000u);
    // The times were taken when the wrapper was made, and are set.
    EXPECT_NE(stat.ctime.dwHighDateTime, 0u);
    EXPECT_EQ(stat.ctime.dwHighDateTime, stat.mtime.dwHighDateTime);
}

TEST(ReadStreamAsIStream, IsReadOnly)
{
    ComPtr<IStream> stream = Wrap("abc");
    ULONG written = 0;
    ULARGE_INTEGER size{};
    EXPECT_EQ(stream->Write("x", 1, &written), E_NOTIMPL);
    EXPECT_EQ(stream->SetSize(size), E_NOTIMPL);
    EXPECT_EQ(stream->Commit(0), E_NOTIMPL);
    // Readers that take any sequential stream find it.
    ComPtr<ISequentialStream> sequential;
    ASSERT_EQ(stream->QueryInterface(IID_ISequentialStream, sequential.OutVoid()), S_OK);
    char buffer[4] = {};
    ULONG read = 0;
    EXPECT_EQ(sequential->Read(buffer, 4, &read), S_OK);
    EXPECT_EQ(std::string(buffer, read), "abc");
}

}  // namespace
