// Writes the parts that reach the end of a chain into a new XPS or OpenXPS
// package, as they arrive: each page with its relationships (resources,
// print ticket), each shared part once by name, and FixedDocument and
// FixedDocumentSequence markup written from what was actually received.
// Nothing but names and the document being listed is held between pages.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "content/spill_buffer.h"
#include "opc/package_error.h"
#include "opc/relationships.h"
#include "package/font_obfuscation.h"
#include "parts/part_data.h"
#include "tavzip/zip_writer.h"

namespace tav::host {

class ZipContent;

// A part being copied into the output cannot be read from the input
// package (a damaged or lying zip entry): the input is at fault.
class InputReadError : public PackageError {
public:
    using PackageError::PackageError;
};

class PackageWriter {
public:
    // Takes ownership of fd, a new regular file. Every call below throws
    // std::runtime_error (or PackageError) when the part cannot be written,
    // InputReadError when the part's content cannot be read.
    PackageWriter(int fd, xps::Flavour flavour);
    ~PackageWriter();

    void AddXpsDocument(IXpsDocument* document);
    void AddSequence(IFixedDocumentSequence* sequence);
    void AddDocument(IFixedDocument* document);
    void AddPage(IFixedPage* page);
    // A part sent on its own: core properties, or any other part.
    void AddOther(IUnknown* part);
    // Writes the sequence, the package's relationships and content types
    // and closes the archive.
    void Finish();

private:
    struct DocumentInProgress;
    class ContentTypeTable;

    void FinishDocument();
    // Writes a part that several pages or levels may share once; returns
    // the name it was written under. A different part with a name already
    // written is renamed when renameOnClash (nothing refers to it by name
    // but the relationships written here), else an error.
    std::string WriteShared(IUnknown* part, bool renameOnClash);
    std::string WriteTicket(IUnknown* owner, HRESULT (*getTicket)(IUnknown*, IPartPrintTicket**));
    // Writes a part's content under name: copied as the input package
    // stores it when it is unchanged input content that needs no
    // translation, else read through (obfuscated with a font key when one
    // is given) and compressed at level.
    void WritePart(const std::string& name, const std::string& contentType, IUnknown* part, const std::string& readName,
                   int level, const std::optional<FontKey>& fontKey = std::nullopt);
    void CopyStoredEntry(const std::string& name, const std::string& contentType, const ZipContent& content);
    // Writes one part; markup is translated to OpenXPS for such output.
    void WriteEntry(const std::string& name, const std::string& contentType, std::unique_ptr<ByteReader> content,
                    int level);
    void WriteMarkupEntry(const std::string& name, const std::string& contentType,
                          std::shared_ptr<const PartContent> markup);
    void WriteRelationships(const std::string& sourceName, const std::vector<Relationship>& relationships);
    std::string ClaimName(const std::string& wanted, bool renameOnClash);

    xps::Flavour flavour_;
    zip::ZipWriter zip_;
    std::unique_ptr<ContentTypeTable> contentTypes_;
    std::set<std::string> usedNames_;      // part name keys
    std::map<std::string, int> nextCopy_;  // by the key of a wanted name: the copy number to try next
    // A shared part written, by the host data it was made from (or, for an
    // object the host did not make, by its identity, held so that the
    // address is not reused). Host data is only watched: holding it would
    // keep every ticket part a filter made for a sheet in memory to the end.
    struct WrittenShared {
        std::weak_ptr<PartData> data;
        ComPtr<IUnknown> foreign;
        std::string name;
    };
    std::map<const void*, WrittenShared> shared_;
    std::vector<Relationship> packageRelationships_;
    std::string sequenceName_;
    std::string sequenceTicket_;
    bool sequenceSeen_ = false;
    std::vector<std::string> documents_;
    std::unique_ptr<DocumentInProgress> document_;
};

}  // namespace tav::host
