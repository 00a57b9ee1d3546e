#pragma once
// How many modal dialogs the UI thread is running. While one runs, its
// nested event loop would hand bus calls to the server's objects in the
// middle of the automation call that opened it; the bus host holds such
// calls back until the depth drops to zero again (LocalServerHost).

#include <QObject>

namespace qx::bus {

int ModalDepth();

// One modal dialog's time: the depth is one higher while it lives.
class ModalScope {
  public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};

// Tells who listens that the depth has come back to zero.
class ModalDepthNotifier : public QObject {
    Q_OBJECT
  public:
    static ModalDepthNotifier* Instance();
  signals:
    void depthDropped();
};

}  // namespace qx::bus
