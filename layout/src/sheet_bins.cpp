#include "sheet_bins.h"

void InputBins::PageArrives(INT pageBin)
{
    if (!firstPageSeen_) {
        firstPageSeen_ = true;
        firstPageBin_ = currentBin_ = pageBin;
        return;
    }
    currentBin_ = secondBin_ == kSameTrayBin ? pageBin : secondBin_;
}

void InputBins::Reset()
{
    firstPageBin_ = currentBin_ = kAutoSelectBin;
    firstPageSeen_ = false;
}

void SeparateTray::Begin(bool separateTrayOn, bool duplex, bool separateFirstPaper)
{
    if (begun_) return;
    begun_ = true;
    if (separateTrayOn) sides_ = duplex && separateFirstPaper ? 2 : 1;
}

bool SeparateTray::SideSent()
{
    if (sides_ < 1) return false;
    return --sides_ == 0;
}

void SeparateTray::Reset()
{
    sides_ = 0;
    begun_ = false;
}
