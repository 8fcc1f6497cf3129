#include "filtercore/part_names.h"

#include <atomic>
#include <cstdint>

#include "filtercore/raised_result.h"
#include "platform/base.h"
#include "platform/guid.h"

namespace {

// What a consumer answers for a part name the job already has.
constexpr HRESULT kNameTaken = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);

// A clash with a part the consumer already has costs a new name; a consumer
// that refuses this many names in a row has another problem.
constexpr int kNameAttempts = 8;

// A random 32-bit value, different for every module and every run.
uint32_t RandomStart()
{
    GUID guid{};
    CoCreateGuid(&guid);
    return guid.Data1;
}

// The second number of a name. The tick count alone repeats for two parts
// made in one millisecond, and the C library's rand repeats too: unseeded it
// gives every module the same sequence, and it can return one value twice.
// So the number is a counter instead, shared by every filter object of this
// module (atomic, because filter objects of one module may make parts on
// different pipeline threads), starting at a random point drawn once per
// module. Within the module no number comes back before 2^32 names. Each
// filter module carries its own copy of this counter, and the random start
// keeps the modules of one job apart: two of their names can only meet if
// they have the same form, the same millisecond and counters that happen to
// cross, and CreateUnderNewName then draws the next one.
std::atomic<uint32_t>& NameSequence()
{
    static std::atomic<uint32_t> sequence{RandomStart()};
    return sequence;
}

}  // namespace

PartNameNumbers NextPartNameNumbers()
{
    const unsigned number = NameSequence().fetch_add(1, std::memory_order_relaxed);
    return {static_cast<unsigned>(GetTickCount()), number};
}

HRESULT CreateUnderNewName(const PartNameMaker& makeName, const NamedPartCreator& create)
{
    HRESULT hr = E_FAIL;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        hr = CatchRaised([&] {
            HeapWideString name = makeName(NextPartNameNumbers());
            return create(name.Text());
        });
        if (hr != kNameTaken) break;
    }
    return hr;
}
