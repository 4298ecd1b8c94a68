// Merging the per-group count tables of the builder into one table.
#pragma once

#include <memory>
#include <vector>

#include "qav/index/hash_table.h"

// Adds every entry of the tables, table by table and within a table in the
// order of its identifiers (the order its group met them), to into. New
// entries of into thus take identifiers in the order the corpus first meets
// them, whatever the number of groups.
void MergeHash(CHashTable& into, const std::vector<std::unique_ptr<CHashTable>>& tables);
