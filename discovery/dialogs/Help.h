#pragma once
// Opens the discovery dialogs' help at a topic.

class QWidget;

namespace qx {

void ShowHelp(QWidget* parent, int context);

}  // namespace qx
