// The input bins of the sheets and the separate-tray phase, as numbers: the
// bin each sheet names, and how many sides at the start of a job come from
// the first page's tray before an empty side closes the phase.
#pragma once

#include "platform/types.h"

// Bin indexes of the bin table: 0 "AutoSelect", 1 "SameTray".
inline constexpr INT kAutoSelectBin = 0;
inline constexpr INT kSameTrayBin = 1;

// The bin of each page: the first page's own, and after it the page's own
// when the second bin is "SameTray", else the second bin.
class InputBins {
public:
    // The job's second bin ("JobInput2ndBin").
    void SetSecondBin(INT secondBin) { secondBin_ = secondBin; }
    INT SecondBin() const { return secondBin_; }

    // A page arrives with its own bin ("PageInputBin").
    void PageArrives(INT pageBin);

    INT FirstPageBin() const { return firstPageBin_; }
    INT CurrentBin() const { return currentBin_; }

    // A new job: the next page is its first.
    void Reset();

private:
    INT secondBin_ = kSameTrayBin;
    INT firstPageBin_ = kAutoSelectBin;
    INT currentBin_ = kAutoSelectBin;
    bool firstPageSeen_ = false;
};

// The separate-tray phase: the first sides of a job are fed from the first
// page's tray, one side (two for a two-sided job that separates the first
// paper); when the phase ends, an empty side may follow so that the next
// sheet starts on a front side.
class SeparateTray {
public:
    // At the first page of a job; later calls in the same job change
    // nothing until Reset.
    void Begin(bool separateTrayOn, bool duplex, bool separateFirstPaper);

    // The phase ends early: a poster page, or a divide-condition change.
    void End() { sides_ = 0; }

    // Sides still to come from the first page's tray.
    bool InPhase() const { return sides_ > 0; }

    // A side was sent. True when that side ended the phase: an empty side
    // may be due now.
    bool SideSent();

    // The bin a sheet names: the first page's while the phase lasts.
    INT SheetBin(const InputBins& bins) const { return InPhase() ? bins.FirstPageBin() : bins.CurrentBin(); }

    void Reset();

private:
    INT sides_ = 0;
    bool begun_ = false;
};
