#pragma once

#include <memory>

#include "LanguageLibrary.h"

class QWidget;

namespace qx {

// Loads the language library for a piece of the user interface; when it cannot
// be loaded, tells the user with the task-modal message box "Could not Load
// Language Library" (empty caption) and returns null.
std::unique_ptr<LanguageLibrary> LoadLanguageLibrary(QWidget* owner = nullptr);

}  // namespace qx
