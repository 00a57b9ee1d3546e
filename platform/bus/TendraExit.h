#pragma once
// "Tendra_Exit", the document monitor's exit broadcast: a signal on the
// session bus that any client may emit (interface
// "com.quorvia.KORVALENMISvr.Tendra", member "Tendra_Exit", from any path).
// A discovery dialog that must end the process when the monitor exits keeps a
// watcher for as long as it is open.

#include <QDBusConnection>
#include <QObject>

#include <functional>

namespace qx::bus {

inline constexpr const char* kTendraInterface = "com.quorvia.KORVALENMISvr.Tendra";
inline constexpr const char* kTendraExitSignal = "Tendra_Exit";
inline constexpr const char* kTendraPath =
    "/com/quorvia/Tendra";  // where EmitTendraExit sends from

class TendraExitWatcher : public QObject {
    Q_OBJECT
  public:
    explicit TendraExitWatcher(QDBusConnection connection = QDBusConnection::sessionBus(),
                               QObject* parent = nullptr);
    ~TendraExitWatcher() override;
    // False when the connection could not subscribe (no bus): the signal will not arrive.
    bool IsListening() const { return m_listening; }

  signals:
    void TendraExit();

  private slots:
    void OnTendraExit();

  private:
    QDBusConnection m_connection;
    bool m_listening = false;
};

// Ends the process at once with exit code 0, without the exit hook, as the
// dialogs do when the monitor broadcasts "Tendra_Exit". Tests may replace it.
void EndProcessNow();
void SetEndProcessForTesting(std::function<void()> end);

// The watcher a dialog keeps while it is open: it ends the process on the
// broadcast. Owned by parent.
TendraExitWatcher* EndProcessOnTendraExit(
    QObject* parent, QDBusConnection connection = QDBusConnection::sessionBus());

// Broadcasts "Tendra_Exit" (what the document monitor does when it exits).
bool EmitTendraExit(QDBusConnection connection = QDBusConnection::sessionBus());

}  // namespace qx::bus
