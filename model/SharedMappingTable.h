#pragma once
// One loaded mapping table shared by every reader of the same files while
// they stay as they were. The management component and the summary table
// each load the five files on every InitPrinter; the files are installation
// data that hardly ever change, so a table that loaded cleanly is kept and
// handed out again until any of its files is replaced, rewritten or gone.

#include <memory>
#include <string>
#include <vector>

#include "MIBMappingTable.h"

namespace qx {

// The table of these files, loaded without an event reporter: a kept one
// when each file is still the one it was read from, else a fresh load. Null
// when the load failed; *error then says why (as MIBMappingTable::LastError).
// A failed load is never kept, so its trace and its error come every time.
std::shared_ptr<const MIBMappingTable> LoadSharedMappingTable(const std::vector<std::string>& paths,
                                                              std::string* error = nullptr);

// Forgets every kept table (tests that rewrite files within one clock tick).
void ForgetSharedMappingTables();

}  // namespace qx
