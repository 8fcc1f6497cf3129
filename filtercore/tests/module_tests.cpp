// ComObjectBase and the module's object creation (DllGetClassObject's work).
#include <gtest/gtest.h>

#include <new>

#include "filtercore/com_object_base.h"
#include "filtercore/module.h"
#include "filtercore/pipeline_filter_base.h"

namespace {

constexpr CLSID kOwnClass = {0x0D0E0F10, 0x1112, 0x4314, {0x95, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C}};
constexpr CLSID kForeignClass = {0x0D0E0F10, 0x1112, 0x4314, {0x95, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1D}};

// Counts the filter objects alive.
class CountedFilter : public PipelineFilterBase {
public:
    CountedFilter() { ++alive; }
    ~CountedFilter() override { --alive; }
    static inline int alive = 0;
};

class FailingFilter : public PipelineFilterBase {
public:
    FailingFilter() { throw CXDException(E_UNEXPECTED); }
};

class StarvedFilter : public PipelineFilterBase {
public:
    StarvedFilter() { throw std::bad_alloc(); }
};

// A minimal object over one interface.
class Stream : public ComObjectBase<ISequentialStream> {
public:
    Stream() : ComObjectBase(IID_ISequentialStream) { ++alive; }
    ~Stream() override { --alive; }
    HRESULT Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    static inline int alive = 0;
};

TEST(ComObjectBase, CountsReferencesFromOneAndDestroysAtZero)
{
    auto* stream = new Stream;
    EXPECT_EQ(stream->AddRef(), 2u);
    EXPECT_EQ(stream->Release(), 1u);
    EXPECT_EQ(Stream::alive, 1);
    EXPECT_EQ(stream->Release(), 0u);
    EXPECT_EQ(Stream::alive, 0);
}

TEST(ComObjectBase, AnswersIUnknownAndItsOneInterface)
{
    auto* stream = new Stream;
    void* unknown = nullptr;
    void* sequential = nullptr;
    ASSERT_EQ(stream->QueryInterface(IID_IUnknown, &unknown), S_OK);
    ASSERT_EQ(stream->QueryInterface(IID_ISequentialStream, &sequential), S_OK);
    EXPECT_EQ(unknown, sequential);
    EXPECT_EQ(unknown, static_cast<ISequentialStream*>(stream));

    void* other = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(stream->QueryInterface(IID_IStream, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(stream->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    // Two references were added by the successful queries.
    EXPECT_EQ(stream->Release(), 2u);
    EXPECT_EQ(stream->Release(), 1u);
    EXPECT_EQ(stream->Release(), 0u);
}

TEST(FilterClassObject, OwnClassGivesTheFilterWithOneReference)
{
    void* object = nullptr;
    ASSERT_EQ(
        tav::filtercore::GetFilterClassObject<CountedFilter>(kOwnClass, kOwnClass, IID_IPrintPipelineFilter, &object),
        S_OK);
    auto* filter = static_cast<IPrintPipelineFilter*>(object);
    EXPECT_EQ(CountedFilter::alive, 1);
    EXPECT_EQ(filter->AddRef(), 2u);
    EXPECT_EQ(filter->Release(), 1u);

    void* unknown = nullptr;
    ASSERT_EQ(filter->QueryInterface(IID_IUnknown, &unknown), S_OK);
    EXPECT_EQ(unknown, object);
    static_cast<IUnknown*>(unknown)->Release();
    filter->Release();
    EXPECT_EQ(CountedFilter::alive, 0);
}

TEST(FilterClassObject, EachCallMakesANewObject)
{
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(
        tav::filtercore::GetFilterClassObject<CountedFilter>(kOwnClass, kOwnClass, IID_IPrintPipelineFilter, &first),
        S_OK);
    ASSERT_EQ(tav::filtercore::GetFilterClassObject<CountedFilter>(kOwnClass, kOwnClass, IID_IUnknown, &second), S_OK);
    EXPECT_NE(first, second);
    EXPECT_EQ(CountedFilter::alive, 2);
    static_cast<IUnknown*>(first)->Release();
    static_cast<IUnknown*>(second)->Release();
}

TEST(FilterClassObject, ClassFactoryIsNotOfferedAndTheObjectGoes)
{
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(tav::filtercore::GetFilterClassObject<CountedFilter>(kOwnClass, kOwnClass, IID_IClassFactory, &object),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CountedFilter::alive, 0);
}

TEST(FilterClassObject, ForeignClassCreatesNothing)
{
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(tav::filtercore::GetFilterClassObject<CountedFilter>(kOwnClass, kForeignClass, IID_IPrintPipelineFilter,
                                                                   &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CountedFilter::alive, 0);
    EXPECT_EQ(
        tav::filtercore::GetFilterClassObject<CountedFilter>(kOwnClass, kOwnClass, IID_IPrintPipelineFilter, nullptr),
        E_POINTER);
}

TEST(FilterClassObject, ConstructionFailuresBecomeTheirHresult)
{
    const int startups = Gdiplus::GdiplusActiveStartups();
    void* object = nullptr;
    EXPECT_EQ(
        tav::filtercore::GetFilterClassObject<FailingFilter>(kOwnClass, kOwnClass, IID_IPrintPipelineFilter, &object),
        E_UNEXPECTED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(
        tav::filtercore::GetFilterClassObject<StarvedFilter>(kOwnClass, kOwnClass, IID_IPrintPipelineFilter, &object),
        E_OUTOFMEMORY);
    // The base parts that were built are torn down again, GDI+ included.
    EXPECT_EQ(Gdiplus::GdiplusActiveStartups(), startups);
}

TEST(ModuleMain, AlwaysTrueAndKeepsTheInstance)
{
    static constexpr GUID kControl = {0x77, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    static constexpr GUID kMessage = {0x77, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
    static tav::filtercore::ModuleState module{nullptr, {kControl, kMessage, "tavtest"}};
    HINSTANCE instance = tav::filtercore::ModuleInstanceOf(reinterpret_cast<const void*>(&tav::filtercore::ModuleMain));
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(tav::filtercore::ModuleMain(module, instance, tav::filtercore::DLL_PROCESS_ATTACH), TRUE);
    EXPECT_EQ(module.instance, instance);
    EXPECT_NE(module.trace.Record().registration.load(), 0u);
    EXPECT_EQ(tav::filtercore::ModuleMain(module, nullptr, tav::filtercore::DLL_THREAD_ATTACH), TRUE);
    EXPECT_EQ(tav::filtercore::ModuleMain(module, nullptr, tav::filtercore::DLL_THREAD_DETACH), TRUE);
    EXPECT_EQ(tav::filtercore::ModuleMain(module, instance, tav::filtercore::DLL_PROCESS_DETACH), TRUE);
    EXPECT_EQ(module.trace.Record().registration.load(), 0u);
}

}  // namespace
