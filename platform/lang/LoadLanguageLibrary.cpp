#include "LoadLanguageLibrary.h"

#include "platform/gui/MessageBox.h"

namespace qx {

std::unique_ptr<LanguageLibrary> LoadLanguageLibrary(QWidget* owner) {
    auto lib = LanguageLibrary::Load();
    if (!lib) {
        MessageBoxRequest request;
        request.text = "Could not Load Language Library";
        request.taskModal = true;
        request.owner = owner;
        ShowMessageBox(request);
    }
    return lib;
}

}  // namespace qx
