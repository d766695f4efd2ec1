// Lookup of the generated resource tables by identifier.

#include "resource_data.h"

#include "resource_tables.h"

namespace {

// Finds the table with `id` among `count` tables and returns its items; null and 0 when there is none.
template <typename Table, typename Item>
const Item* findById(const Table* tables, int tableCount, int id, int* count, const Item* Table::*items) {
    for (int i = 0; i < tableCount; ++i) {
        if (tables[i].id == id) {
            if (count) *count = tables[i].count;
            return tables[i].*items;
        }
    }
    if (count) *count = 0;
    return nullptr;
}

} // namespace

const IconImage* findIconImages(int id, int* count) {
    using resource_tables::IconGroup;
    return findById(resource_tables::kIconGroups, resource_tables::kIconGroupCount, id, count, &IconGroup::images);
}

const AcceleratorEntry* findAcceleratorTable(int id, int* count) {
    using resource_tables::AcceleratorTable;
    return findById(resource_tables::kAcceleratorTables, resource_tables::kAcceleratorTableCount, id, count,
                    &AcceleratorTable::entries);
}
