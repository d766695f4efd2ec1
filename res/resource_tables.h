#pragma once
// The resource tables the generator writes; only resource_data.cpp looks them up.

#include "resource_data.h"

namespace resource_tables {

struct IconGroup {
    int id;
    const IconImage* images;
    int count;
};

struct AcceleratorTable {
    int id;
    const AcceleratorEntry* entries;
    int count;
};

extern const IconGroup kIconGroups[];
extern const int kIconGroupCount;
extern const AcceleratorTable kAcceleratorTables[];
extern const int kAcceleratorTableCount;

} // namespace resource_tables
