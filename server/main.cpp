// AL1MISvr: the printer-management server. Started by the session bus when a
// client first creates one of its objects, or by hand; "-RegServer" and
// "-UnregServer" register and unregister it.

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ObjectTable.h"
#include "ServerApp.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("AL1MISvr %s\n%s\n", qx::kFileVersion, qx::kFileDescription);
        return 0;
    }
    // Dialogs come up on the display when there is one (offscreen when it is
    // dead), offscreen without one.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        bool display =
            std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
        setenv("QT_QPA_PLATFORM", display ? "xcb;offscreen" : "offscreen", 1);
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    qx::CKORVALENMISvrApp server(argc, argv);
    return server.Run();
}
