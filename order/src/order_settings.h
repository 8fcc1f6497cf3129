// The settings the Order filter works with, read from a merged job or
// document ticket: whether the job is a booklet, which booklet order, how it
// is divided into sets, and the duplex mode.
#pragma once

#include "filtercore/job_settings.h"
#include "platform/xml.h"

// OrderSettings::bookletScope.
enum BookletScope : INT {
    kNoBooklet = 0,
    kBookletOverJob = 1,
};

// BindingSettings::bookletMethod.
enum BookletMethod : INT {
    kAllPagesAtOnce = 0,
    kDivideIntoSets = 1,
};

struct OrderSettings {
    INT bookletScope = kNoBooklet;
    // A BindingOption.
    INT bindingOption = kBindBottom;
    // A BookletMethod.
    INT bookletMethod = kAllPagesAtOnce;
    // Sheets per booklet set when dividing into sets; at least 1.
    INT sheetsPerSet = 5;
    // A DuplexMode.
    INT duplexMode = kDuplexModeNone;
};

// "Booklet" or "BookletReverseFlip".
constexpr bool IsBookletBinding(INT option) { return option == kBindBooklet || option == kBindBookletReverseFlip; }

// The settings that a binding and a duplex setting give together. A booklet
// needs sheets folded along their short edge: a job that says it prints
// one-sided or two-sided along the long edge drops its booklet binding for
// "BindLeft". A job that says nothing about duplex keeps it. A sheets per
// set below 1 is taken as 1, so that a set is never empty.
OrderSettings ReconcileOrderSettings(const BindingSettings& binding, const DuplexSettings& duplex);

// Reads the job-level binding ("JobBindAllDocuments") and duplex
// ("JobDuplexAllDocumentsContiguously") settings of a merged ticket and
// stores what ReconcileOrderSettings makes of them. When a reader reports
// HRESULT_FROM_WIN32(ERROR_NOT_FOUND), *settings keeps its values and the
// result is S_FALSE; any other failure is returned, also with *settings
// unchanged.
HRESULT ReadOrderSettings(IXMLDOMDocument2* ticket, const WCHAR* privateNamespace, OrderSettings* settings);
