// PipelineFilterCore: the IPrintPipelineFilter side shared by every filter:
// the pipeline's communicator, control and property bag, the values read
// from the bag, the ticket manager, shutdown and the report that the filter
// has finished.
//
// Virtual slots after ComObjectBase's: InitializeFilter, ShutdownOperation,
// StartOperation (pure here), the destructor, then SetupPerUserTicket.
#pragma once

#include <atomic>

#include "filtercore/com_object_base.h"
#include "filtercore/print_ticket_manager.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"

class PipelineFilterCore : public ComObjectBase<IPrintPipelineFilter> {
public:
    // Stores the three pipeline objects (all must be given) and reads
    // "PrintClassFactory", "PrinterName" and "PrintJobId". Returns the result
    // of the "PrinterName" read; E_POINTER, after asking an earlier control to
    // shut the pipeline down, when a pointer is missing.
    HRESULT InitializeFilter(IInterFilterCommunicator* communicator, IPrintPipelinePropertyBag* propertyBag,
                             IPrintPipelineManagerControl* control) override;
    // Reports FilterFinished (once) and makes a running part loop end after
    // the part it is waiting for. Always S_OK.
    HRESULT ShutdownOperation() override;
    ~PipelineFilterCore() override;

    // Initialises the ticket manager with the per-user ticket (the
    // "PerUserPrintTicket" property, an IPrintReadStreamFactory) and the
    // "PrinterName" property. E_UNEXPECTED without a property bag; the first
    // failure otherwise.
    virtual HRESULT SetupPerUserTicket();

protected:
    // Raises CXDException(E_OUTOFMEMORY) when the namespace cannot be
    // allocated.
    PipelineFilterCore();

    // FilterFinished, unless it was reported since the last InitializeFilter
    // or there is no control.
    void ReportFilterFinished();

    ComPtr<IInterFilterCommunicator> communicator;
    ComPtr<IPrintPipelineManagerControl> control;
    ComPtr<IPrintPipelinePropertyBag> propertyBag;
    PrintTicketManager ticketManager;
    // Set once FilterFinished is reported. Atomic: the part loop reads it
    // while ShutdownOperation may set it from another pipeline thread.
    std::atomic<LONG> stopped{0};
    // The private keywords namespace, passed to every ticket reader.
    BSTR privateNamespace = nullptr;
    ComPtr<IPrintClassObjectFactory> classObjectFactory;
    BSTR printerName = nullptr;
    ULONG jobId = 0;

private:
    void ReadClassObjectFactory();
    HRESULT ReadPrinterName();
    void ReadJobId();
};
