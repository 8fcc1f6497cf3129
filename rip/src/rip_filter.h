// RipFilter: the filter object of tavrip, the last filter of the chain. It
// opens the device converter for the job, feeds it every page (its DEVMODE,
// its page-device values and its markup, PageFeeder) and writes the
// printer-language bytes the converter returns to the pipeline's output
// stream. It has no XPS consumer: nothing is sent on.
//
// A job that fails part-way (a converter that cannot be opened, a page it
// refuses, a cancelled job) still ends StartOperation with S_OK, as the
// pipeline expects of this filter; the failure reaches the pipeline with
// its shutdown request, the page and the reason in its error information,
// so that a truncated printer stream is never taken for a printed job.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "converter_library.h"
#include "file_list.h"
#include "filtercore/pipeline_filter_core.h"
#include "filtercore/xps_part_dispatch.h"
#include "output_record_reader.h"
#include "page_feeder.h"
#include "platform/async_notify.h"
#include "resource_callbacks.h"

class RipFilter : public PipelineFilterCore,
                  protected XpsPartCounters,
                  private OutputRecordSink,
                  private ImageFailureListener {
public:
    // Loads the converter's control library.
    RipFilter();
    ~RipFilter() override;

    // The part loop: reads the device parameters from the property bag,
    // connects, sets up the per-user ticket, hands every part to its hook,
    // then OnJobEnd; the writer is closed at the end. S_OK also when the
    // job failed (the failure goes with RequestShutdown).
    HRESULT StartOperation() override;

    // Feeds the page to the converter: its DEVMODE (DevModeSet), then its
    // page-device values and markup. A page whose ticket cannot be found is
    // skipped (S_FALSE).
    virtual HRESULT OnFixedPage(IFixedPage* page);
    // Merge the document's (the sequence's) ticket; nothing is sent on.
    virtual HRESULT OnFixedDocument(IFixedDocument* document);
    virtual HRESULT OnFixedDocumentSequence(IFixedDocumentSequence* sequence);
    // Dropped.
    virtual HRESULT OnXpsDocument(IXpsDocument* document);
    // Closes the converter's job, then starts the manual duplex program for
    // the second-pass files the converter reported (or deletes their list
    // when the job was stopped).
    virtual HRESULT OnJobEnd();
    // Obtains provider and writer and opens the converter for the job.
    virtual HRESULT ConnectProviderConsumer();

    // The callbacks the converter is given: the write callback (context: the
    // filter) takes output records apart; the cancel callback stores 0 in
    // *flag and returns 1.
    static HRESULT WriteCallback(const BYTE* buffer, uint32_t count, void* context);
    static BOOL CancelCallback(BYTE* flag);

    // The second-pass files the converter reported (type-1 records), in
    // arrival order, for manual two-sided printing, and the list that
    // holds them for the manual duplex program.
    const std::vector<std::u16string>& SecondPassFiles() const { return secondPassFiles; }
    const tav::rip::ManualDuplexFileList& FileList() const { return fileList; }

private:
    HRESULT RunPartLoop();
    HRESULT DispatchPart(IUnknown* part);
    void ReadDeviceParameters();
    void ReportProgress(EXpsJobConsumption update);
    HRESULT OpenConverter();
    std::u16string DocumentName() const;
    std::u16string EncoderPath() const;
    HRESULT SetPageDevMode(IXMLDOMDocument2* ticket);
    HRESULT FeedPage(IFixedPage* page, IXMLDOMDocument2* ticket);
    PageDeviceValues PageDevice(IXMLDOMDocument2* ticket);
    // Closes whatever the converter still has open.
    void CloseConverter();
    // Sends the manual duplex request for the file list, or deletes the list
    // of a stopped job.
    void SettleFileList();
    // Notes the failure with the converter's own reason when it gave one.
    void NoteConverterFailure(HRESULT result, IFixedPage* page, const std::u16string& fallback);

    // OutputRecordSink.
    HRESULT PrinterData(const BYTE* bytes, uint32_t count) override;
    void FilePath(std::u16string path) override;
    void Warning(std::string text) override;
    void RefusalReason(std::string text) override;

    // ImageFailureListener: an image the converter could not have is a
    // warning naming the image part; the job goes on.
    void ImageFailed(std::string_view uri, std::string_view reason) override;

    ControlLibrary pcorectl;
    HRESULT converterLoadResult = E_FAIL;
    ConverterHandle jobHandle = 0;
    ConverterHandle conversionHandle = 0;
    ConverterHandle converterContext = 0;
    ComPtr<IXpsDocumentProvider> provider;
    ComPtr<IPrintWriteStream> writer;
    ComPtr<IPrintPipelineProgressReport> progressReport;
    LONG outputBitsPerPixel = 8;
    LONG outputPlanes = 3;
    LONG portraitRotation = 0;
    LONG landscapeRotation = 270;
    OutputRecordReader records{*this};
    std::vector<std::u16string> secondPassFiles;
    tav::rip::ManualDuplexFileList fileList;
    ComPtr<IPrintAsyncNotifyChannel> notificationChannel;
    // Warnings already passed on, and the reason of the last
    // refusal the converter explained.
    std::set<std::string> warningsGiven;
    std::u16string refusalReason;
};
