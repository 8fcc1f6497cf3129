#include "converter_driver.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include <libxml/parser.h>
#include <zip.h>

#include "converter/converter_interface.h"
#include "platform/com.h"
#include "platform/comobject.h"
#include "ripimage/image_block.h"

namespace tav::render::testing {

namespace {

std::u16string Utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp = 0xFFFD;
        size_t length = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
            cp = (c & 0x1F) << 6 | (text[i + 1] & 0x3F), length = 2;
        } else if ((c & 0xF0) == 0xE0 && i + 2 < text.size()) {
            cp = (c & 0x0F) << 12 | (text[i + 1] & 0x3F) << 6 | (text[i + 2] & 0x3F), length = 3;
        } else if ((c & 0xF8) == 0xF0 && i + 3 < text.size()) {
            cp = (c & 0x07) << 18 | (text[i + 1] & 0x3F) << 12 | (text[i + 2] & 0x3F) << 6 | (text[i + 3] & 0x3F);
            length = 4;
        }
        i += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

// A part name relative to the part that names it, made absolute.
std::string ResolvePart(const std::string& base, const std::string& target)
{
    std::string path = target;
    if (target.empty() || target[0] != '/') path = base.substr(0, base.find_last_of('/') + 1) + target;
    std::vector<std::string> parts;
    size_t start = 1;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        std::string piece = path.substr(start, slash - start);
        if (piece == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!piece.empty() && piece != ".") {
            parts.push_back(piece);
        }
        start = slash + 1;
    }
    std::string out;
    for (const std::string& piece : parts) out += "/" + piece;
    return out;
}

// The part callbacks' page object.
struct PageParts {
    std::string pageName;
    const PartReader* parts;
};

BOOL ServePart(ConverterAllocate allocate, ConverterFree, void* pageObject, const char* uri, uintptr_t, uintptr_t,
               void** block, uint32_t* size)
{
    *block = nullptr;
    *size = 0;
    auto* page = static_cast<PageParts*>(pageObject);
    std::string bytes;
    if (!page || !uri || !(*page->parts)(ResolvePart(page->pageName, uri), &bytes)) return 0;
    void* made = allocate(static_cast<uint32_t>(bytes.size()));
    if (!made) return 0;
    std::memcpy(made, bytes.data(), bytes.size());
    *block = made;
    *size = static_cast<uint32_t>(bytes.size());
    return 1;
}

// Images as the rip filter serves them: the part decoded by the platform's
// imaging component into an image block.
BOOL ServeImage(ConverterAllocate allocate, ConverterFree release, void* pageObject, const char* uri, uintptr_t,
                uintptr_t, void** block)
{
    *block = nullptr;
    auto* page = static_cast<PageParts*>(pageObject);
    std::string bytes;
    if (!page || !uri || !(*page->parts)(ResolvePart(page->pageName, uri), &bytes)) return 0;
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnBytes(bytes.data(), bytes.size(), stream.Out()))) return 0;
    rip::ImageBlock built = rip::BuildImageBlock(stream.Get(), allocate, release);
    *block = built.data;
    return built.data != nullptr;
}

HRESULT CollectRecords(const BYTE* buffer, uint32_t count, void* context);
BOOL NoCancel(BYTE* flag)
{
    *flag = 0;
    return 1;
}

template <typename T>
bool Find(void* library, const char* name, T* function, std::string* error)
{
    *function = reinterpret_cast<T>(dlsym(library, name));
    if (!*function) *error = std::string("no entry point ") + name;
    return *function != nullptr;
}

}  // namespace

struct ConverterDriver::Impl {
    PrnCtrlOpenFunction open = nullptr;
    PrnCtrlXPS2SPDLOpenFunction conversionOpen = nullptr;
    GetConvCntFromSPDLCntFunction context = nullptr;
    DevModeSetFunction devModeSet = nullptr;
    PrnCtrlXPS2SPDLCloseFunction conversionClose = nullptr;
    PrnCtrlCloseFunction close = nullptr;
    XpsSetConvResAPIFunction setResources = nullptr;
    XpsSetPageDeviceFunction setPageDevice = nullptr;
    XPSStartElemFunction startElement = nullptr;
    XPSReadAttFunction readAttribute = nullptr;
    XPSEndCurElemFunction endCurrent = nullptr;
    XPSEndElemFunction endElement = nullptr;
    ConverterHandle job = 0, conversion = 0, converterContext = 0;

    // The record stream is cut into records as it arrives.
    std::string pending;
    JobOutput* output = nullptr;
    std::function<void(const char*, size_t)> sink;
};

namespace {

HRESULT CollectRecords(const BYTE* buffer, uint32_t count, void* context)
{
    auto* impl = static_cast<ConverterDriver::Impl*>(context);
    impl->pending.append(reinterpret_cast<const char*>(buffer), count);
    while (impl->pending.size() >= kOutputRecordHeaderSize) {
        auto read32 = [&](size_t at) {
            uint32_t value = 0;
            for (int i = 0; i < 4; ++i)
                value |= static_cast<uint32_t>(static_cast<uint8_t>(impl->pending[at + i])) << (8 * i);
            return value;
        };
        uint32_t type = read32(0) & 0xFF, length = read32(4);
        if (impl->pending.size() < kOutputRecordHeaderSize + length) break;
        std::string payload = impl->pending.substr(kOutputRecordHeaderSize, length);
        impl->pending.erase(0, kOutputRecordHeaderSize + length);
        if (type == kOutputRecordPrinterData) {
            if (impl->sink)
                impl->sink(payload.data(), payload.size());
            else
                impl->output->printerData += payload;
        }
        if (type == kOutputRecordWarning) impl->output->warnings.push_back(payload);
        if (type == kOutputRecordRefusalReason) impl->output->refusals.push_back(payload);
    }
    return 0;
}

// One page or referenced dictionary, parsed and fed.
struct SaxFeed {
    SaxFeed(ConverterDriver::Impl* impl, const PartReader* parts, std::string partName, size_t* calls)
        : impl(impl), parts(parts), partName(std::move(partName)), calls(calls)
    {
    }

    ConverterDriver::Impl* impl;
    const PartReader* parts;
    std::string partName;
    size_t* calls;
    bool failed = false;
    std::string currentElement;
    bool elementJustStarted = false;
    bool pendingDictionary = false;
    std::string dictionarySource;
    xmlParserCtxtPtr parser = nullptr;

    void Refused()
    {
        failed = true;
        xmlStopParser(parser);
    }
};

bool FeedMarkup(SaxFeed& feed, const std::string& markup);

std::string QualifiedName(const xmlChar* prefix, const xmlChar* localName)
{
    std::string name = reinterpret_cast<const char*>(localName);
    return prefix ? reinterpret_cast<const char*>(prefix) + (":" + name) : name;
}

void StartElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar*, int, const xmlChar**,
                  int attributeCount, int, const xmlChar** attributes)
{
    auto* feed = static_cast<SaxFeed*>(context);
    if (feed->failed) return;
    std::string name = QualifiedName(prefix, localName);
    feed->currentElement = name;
    ++*feed->calls;
    if (!feed->impl->startElement(name.c_str(), feed->impl->converterContext)) return feed->Refused();
    feed->elementJustStarted = true;
    for (int i = attributeCount - 1; i >= 0; --i) {
        const xmlChar** attribute = attributes + 5 * i;
        std::string attributeName = QualifiedName(attribute[1], attribute[0]);
        std::string value(reinterpret_cast<const char*>(attribute[3]), attribute[4] - attribute[3]);
        ++*feed->calls;
        int32_t accepted;
        if (attributeName == "UnicodeString") {
            std::u16string wide = Utf8ToUtf16(value);
            accepted = feed->impl->readAttribute(attributeName.c_str(), wide.c_str(), feed->impl->converterContext);
        } else {
            accepted = feed->impl->readAttribute(attributeName.c_str(), value.c_str(), feed->impl->converterContext);
        }
        if (!accepted) return feed->Refused();
        if (name == "ResourceDictionary" && attributeName == "Source") {
            feed->pendingDictionary = true;
            feed->dictionarySource = value;
        }
    }
}

void EndElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar*)
{
    auto* feed = static_cast<SaxFeed*>(context);
    if (feed->failed) return;
    std::string name = QualifiedName(prefix, localName);
    ++*feed->calls;
    int32_t accepted = name == feed->currentElement && feed->elementJustStarted
                           ? feed->impl->endCurrent(feed->impl->converterContext)
                           : feed->impl->endElement(name.c_str(), feed->impl->converterContext);
    feed->elementJustStarted = false;
    if (!accepted) return feed->Refused();
    if (feed->pendingDictionary && name == "ResourceDictionary") {
        feed->pendingDictionary = false;
        std::string part = ResolvePart(feed->partName, feed->dictionarySource);
        std::string markup;
        if ((*feed->parts)(part, &markup)) {
            SaxFeed inner{feed->impl, feed->parts, part, feed->calls};
            if (!FeedMarkup(inner, markup) && inner.failed) feed->Refused();
        }
    }
}

bool FeedMarkup(SaxFeed& feed, const std::string& markup)
{
    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = StartElement;
    handler.endElementNs = EndElement;
    feed.parser = xmlCreatePushParserCtxt(&handler, &feed, nullptr, 0, feed.partName.c_str());
    if (!feed.parser) return false;
    xmlCtxtUseOptions(feed.parser, XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlParseChunk(feed.parser, markup.data(), static_cast<int>(markup.size()), 1);
    bool wellFormed = feed.parser->wellFormed != 0;
    xmlFreeParserCtxt(feed.parser);
    feed.parser = nullptr;
    return wellFormed && !feed.failed;
}

}  // namespace

std::string RenderConverterFolder()
{
    if (const char* build = std::getenv("TAV_BUILD_DIR")) return std::string(build) + "/lib/converters/render/3";
    // Beside the running program: bin/../lib/converters/render/3.
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return (program.parent_path().parent_path() / "lib/converters/render/3").string();
}

PartReader MapPartReader(const Parts& parts)
{
    return [&parts](const std::string& name, std::string* bytes) {
        auto found = parts.find(name);
        if (found == parts.end()) return false;
        *bytes = found->second;
        return true;
    };
}

PartReader ZipPartReader(const std::string& packagePath)
{
    // One open archive for all the reads: opening it again for each part
    // reads its whole directory again, which a 2,000-page job makes the
    // largest cost of a run. Parts are read to their end rather than
    // sized first (the size comes with the entry's time, which costs a
    // look at the time zone file on every call).
    int error = 0;
    std::shared_ptr<zip_t> archive(zip_open(packagePath.c_str(), ZIP_RDONLY, &error), [](zip_t* open) {
        if (open) zip_discard(open);
    });
    return [archive](const std::string& part, std::string* bytes) {
        if (!archive) return false;
        std::string entry = part.starts_with("/") ? part.substr(1) : part;
        zip_file_t* file = zip_fopen(archive.get(), entry.c_str(), 0);
        if (!file) return false;
        constexpr size_t kMaxPartBytes = 1u << 30;
        bytes->clear();
        char buffer[65536];
        zip_int64_t got = 0;
        while ((got = zip_fread(file, buffer, sizeof buffer)) > 0 && bytes->size() < kMaxPartBytes)
            bytes->append(buffer, static_cast<size_t>(got));
        zip_fclose(file);
        return got == 0;
    };
}

ConverterDriver::ConverterDriver(std::string folder) : folder_(std::move(folder)), impl_(new Impl)
{
    impl_->output = &output_;
    // The imaging component that serves images needs COM on the thread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

ConverterDriver::~ConverterDriver()
{
    if (impl_->job) Close();
    if (control_) dlclose(control_);
    delete impl_;
    CoUninitialize();
}

bool ConverterDriver::Open(const std::string& encoderName, const std::u16string& documentName)
{
    std::string path = folder_ + "/" + kConverterControlLibrary;
    control_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!control_) {
        error_ = dlerror();
        return false;
    }
    if (!Find(control_, "PrnCtrlOpen", &impl_->open, &error_) ||
        !Find(control_, "PrnCtrlXPS2SPDLOpen", &impl_->conversionOpen, &error_) ||
        !Find(control_, "GetConvCntFromSPDLCnt", &impl_->context, &error_) ||
        !Find(control_, "DevModeSet", &impl_->devModeSet, &error_) ||
        !Find(control_, "PrnCtrlXPS2SPDLClose", &impl_->conversionClose, &error_) ||
        !Find(control_, "PrnCtrlClose", &impl_->close, &error_))
        return false;
    std::vector<BYTE> record(kOpenRecordSize, 0);
    for (size_t i = 0; i < documentName.size() && i + 1 < kOpenRecordNameCharacters; ++i) {
        record[kOpenRecordDocumentNameOffset + 2 * i] = static_cast<BYTE>(documentName[i] & 0xFF);
        record[kOpenRecordDocumentNameOffset + 2 * i + 1] = static_cast<BYTE>(documentName[i] >> 8);
    }
    record[kOpenRecordOneOffset] = 1;
    std::u16string encoder = u"/usr/lib/tav/" + Utf8ToUtf16(encoderName);
    impl_->job = impl_->open(u"driverout", 0, encoder.c_str(), CollectRecords, impl_, record.data(), NoCancel);
    if (!impl_->job) {
        error_ = "the converter refused the job";
        return false;
    }
    impl_->conversion = impl_->conversionOpen(NoCancel, impl_->job);
    impl_->converterContext = impl_->context(impl_->conversion);
    if (!impl_->conversion || !impl_->converterContext) {
        error_ = "no conversion or context handle";
        return false;
    }
    return true;
}

void ConverterDriver::SetPrinterDataSink(std::function<void(const char*, size_t)> sink)
{
    impl_->sink = std::move(sink);
}

void ConverterDriver::SetDevMode(const DEVMODEW& devmode)
{
    if (impl_->job) impl_->devModeSet(&devmode, sizeof devmode, impl_->job);
}

bool ConverterDriver::FeedPage(const std::string& pageName, const std::string& markup, const PartReader& parts,
                               const PageDeviceValues& device)
{
    std::string path = folder_ + "/" + kConverterPageLibrary;
    void* page = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!page) {
        error_ = dlerror();
        return false;
    }
    bool found = Find(page, "XpsSetConvResAPI", &impl_->setResources, &error_) &&
                 Find(page, "XpsSetPageDevice", &impl_->setPageDevice, &error_) &&
                 Find(page, "XPSStartElem", &impl_->startElement, &error_) &&
                 Find(page, "XPSReadAtt", &impl_->readAttribute, &error_) &&
                 Find(page, "XPSEndCurElem", &impl_->endCurrent, &error_) &&
                 Find(page, "XPSEndElem", &impl_->endElement, &error_);
    bool fed = false;
    if (found) {
        PageParts pageParts{pageName, &parts};
        impl_->setResources(impl_->converterContext, &pageParts, ServePart, ServePart, ServeImage, 0, 0);
        impl_->setPageDevice(impl_->converterContext, 1, 1, device.widthMicrons, device.heightMicrons, 0, 0,
                             device.widthMicrons, device.heightMicrons, device.resolution, device.resolution,
                             device.rotationCode, 0, 4, 100, device.heightMicrons, device.heightMicrons,
                             device.planes == 1   ? 1
                             : device.planes == 4 ? 4
                                                  : 3,
                             device.planes, device.bitsPerPixel);
        SaxFeed feed{impl_, &parts, pageName, &calls_};
        fed = FeedMarkup(feed, markup);
        if (!fed && error_.empty())
            error_ = feed.failed ? "the converter refused a call" : "the page is not well formed";
    }
    dlclose(page);
    return fed;
}

void ConverterDriver::Close()
{
    if (!impl_->job) return;
    impl_->conversionClose(impl_->conversion);
    impl_->close(impl_->job);
    impl_->job = 0;
}

std::vector<std::string> PackagePages(const std::string& packagePath)
{
    PartReader read = ZipPartReader(packagePath);
    auto sources = [](const std::string& markup, const std::string& attribute) {
        std::vector<std::string> found;
        std::string key = attribute + "=\"";
        for (size_t at = markup.find(key); at != std::string::npos; at = markup.find(key, at + 1)) {
            size_t begin = at + key.size();
            found.push_back(markup.substr(begin, markup.find('"', begin) - begin));
        }
        return found;
    };
    std::string rels, sequence, document;
    if (!read("/_rels/.rels", &rels)) return {};
    std::string sequenceName;
    for (const std::string& target : sources(rels, "Target"))
        if (target.ends_with(".fdseq")) sequenceName = ResolvePart("/", target);
    if (sequenceName.empty() || !read(sequenceName, &sequence)) return {};
    std::vector<std::string> documents = sources(sequence, "Source");
    if (documents.empty()) return {};
    std::string documentName = ResolvePart(sequenceName, documents.front());
    if (!read(documentName, &document)) return {};
    std::vector<std::string> pages;
    for (const std::string& page : sources(document, "Source")) pages.push_back(ResolvePart(documentName, page));
    return pages;
}

}  // namespace tav::render::testing
