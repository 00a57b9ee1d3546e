#pragma once
// Names compared without regard to case, the way the platform compares printer,
// port and queue names: letters of every script by their upper case (texts are
// UTF-8), so "\\ctrl\PRINT" equals "\\CTRL\print" and "Ärger" equals "äRGER".

#include <string>
#include <string_view>

namespace qx {

bool EqualsNoCase(std::string_view a, std::string_view b);

// The text with every letter in its upper case, for comparing and indexing
// names without regard to case. Bytes that are not UTF-8 stay as they are.
std::string FoldName(std::string_view name);

}  // namespace qx
