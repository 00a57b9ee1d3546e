#pragma once
// The three class factories offered on the session bus: registering them
// connects to the bus, exports the factory object and takes the server's
// name; revoking gives the name up again, so that the bus starts a new
// process for the next client while this one ends.

#include <QObject>

#include <memory>

namespace qx {

namespace bus {
class LocalServerHost;
}

class CClassObjects : public QObject {
    Q_OBJECT
  public:
    CClassObjects();
    ~CClassObjects() override;

    // False, with the reason in *error, when the factories cannot be offered
    // (no bus to be reached, the name cannot be had).
    bool Register(QString* error = nullptr);
    // Harmless when nothing is registered.
    void Revoke();
    // Lets go of every object and lock clients still hold (the process ends).
    void ReleaseAll();

  signals:
    // The bus connection was lost: nobody can reach the server any more.
    void BusLost();

  private:
    std::unique_ptr<bus::LocalServerHost> m_host;
};

}  // namespace qx
