// Stands in for the help viewer while this library has none.
#include "Help.h"

namespace qx {

void ShowHelp(QWidget*, int) {}

}  // namespace qx
