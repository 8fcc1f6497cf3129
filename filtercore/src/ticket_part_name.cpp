#include "ticket_part_name.h"

#include <atomic>
#include <cstdint>

#include "platform/base.h"
#include "platform/guid.h"

namespace {

// A random 32-bit value, different for every module and every run.
uint32_t RandomStart()
{
    GUID guid{};
    CoCreateGuid(&guid);
    return guid.Data1;
}

// The third number of a name. The tick count alone repeats for two tickets
// written in one millisecond, and the C library's rand repeats too: unseeded
// it gives every module the same sequence, and it can return one value
// twice. So the number is a counter instead, shared by every ticket manager
// of this module (atomic, because filter objects of one module may write on
// different pipeline threads), starting at a random point drawn once per
// module. Within the module no number comes back before 2^32 names. Each
// filter module carries its own copy of this counter, and the random start
// keeps the modules of one job apart: two of their names can only meet if
// they have the same tag, the same millisecond and counters that happen to
// cross. A consumer that knows the job's part names refuses such a name, and
// WriteTicketPart then draws the next one.
std::atomic<uint32_t>& NameSequence()
{
    static std::atomic<uint32_t> sequence{RandomStart()};
    return sequence;
}

}  // namespace

HeapWideString NewTicketPartName(const WCHAR* tag)
{
    const unsigned number = NameSequence().fetch_add(1, std::memory_order_relaxed);
    const unsigned ticks = GetTickCount();
    HeapWideString name;
    name.Format(u"/PT_%ws_%u_%u.xml", tag, ticks, number);
    return name;
}
