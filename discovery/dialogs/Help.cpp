#include "Help.h"

#include <QFileInfo>
#include <QString>

#include "platform/gui/MessageBox.h"
#include "platform/system/ProgramPath.h"
#include "trace/Trace.h"
#include "ui/Hyperlink.h"

namespace qx {

namespace {

void TellUser(QWidget* parent, const std::string& text) {
    MessageBoxRequest box;
    box.text = text;
    box.caption = "Help";
    box.icon = MessageIcon::Stop;
    box.owner = parent;
    ShowMessageBox(box);
}

}  // namespace

std::string HelpPagePath(int context) {
    return ProgramDirectory() + "/" + kHelpFolder + "/" + std::to_string(context) + ".html";
}

bool ShowHelp(QWidget* parent, int context) {
    const std::string path = HelpPagePath(context);
    const QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile()) {
        Trace(kTracePrefix, "Help page %s is missing", path.c_str());
        TellUser(parent, "The help page " + path + " could not be found.");
        return false;
    }
    if (!CHyperlink(QFileInfo(file).absoluteFilePath()).Navigate()) {
        Trace(kTracePrefix, "Help page %s could not be opened", path.c_str());
        TellUser(parent, "No program on this computer could open the help page " + path + ".");
        return false;
    }
    return true;
}

}  // namespace qx
