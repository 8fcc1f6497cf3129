#include "sheet_part_names.h"

HeapWideString SheetPartName(const PartNameNumbers& numbers)
{
    HeapWideString name;
    name.Format(u"/LO_NUpPage_%u.xml", numbers.number);
    return name;
}

HeapWideString EmptySidePartName(const PartNameNumbers& numbers)
{
    HeapWideString name;
    name.Format(u"/LO_Empty_%u.xml", numbers.number);
    return name;
}
