// COM on the test's thread, as a filter's part loop initialises it, for
// tests that use the SAX reader or the DOM outside a filter.
#pragma once

#include "platform/com.h"

namespace testsupport {

class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

}  // namespace testsupport
