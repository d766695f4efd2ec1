#pragma once
// Writes the C++ source that holds the icon pixels and accelerator tables for the Linux layer.

#include <string>
#include <vector>

#include "icon_files.h"
#include "rc_script.h"

// Definitions of the tables resource_tables.h declares: one icon group and every accelerator table.
std::string writeTableSource(int iconId, const std::vector<IconPixels>& images,
                             const std::vector<RcAcceleratorTable>& acceleratorTables);
