#pragma once
// The server side of automation over the bus, standing in for the object
// runtime's local-server transport: it offers class factories under a
// well-known name (CreateInstance by CLSID or ProgID, LockServer), exports
// every object it creates under its own path with its class's interface and
// Release, and carries each call to the object's IDispatch::Invoke as the type
// library (annotated interface XML) describes it.
//
// Objects belong to the clients that created or called them. When the last of
// them leaves the bus without releasing, the object waits a grace time for
// another client to use it (shell tools such as busctl make every call on a
// new connection), then it is released, so that a crashed client never holds
// the server up. Server locks (LockServer) of a client that leaves are dropped
// at once.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "LocalServerEndpoint.h"
#include "platform/com/ComPtr.h"
#include "platform/com/TypeInfo.h"

class QDBusServiceWatcher;
class QTimer;

namespace qx::bus {

class LocalServerHost : public QObject {
    Q_OBJECT
  public:
    static constexpr std::chrono::milliseconds kDefaultClientGrace{10000};

    // typeLibraryXml: the interface XML of the factory, the object interface
    // and every class interface; it is also what introspection returns.
    LocalServerHost(QDBusConnection connection, LocalServerEndpoint endpoint,
                    QObject* parent = nullptr);
    ~LocalServerHost() override;

    bool LoadTypeLibrary(const QString& typeLibraryXml, QString* error);
    void SetClientGrace(std::chrono::milliseconds grace) { m_grace = grace; }

    // Offers a class (one reference on the factory is kept until it is
    // revoked). progIds: the texts besides the CLSID that CreateInstance accepts.
    HRESULT RegisterClassObject(REFCLSID clsid, const std::vector<std::string>& progIds,
                                REFIID classInterface, IClassFactory* factory);
    void RevokeClassObject(REFCLSID clsid);
    void RevokeAll();

    // Puts the factory and the object subtree on the bus and asks for the
    // well-known name (queued behind another server that holds it). False
    // when the bus cannot be reached.
    bool Publish(QString* error);
    // Gives the name and the factory up; objects stay reachable by path.
    void Unpublish();
    // Releases every object and lock (the process ends).
    void ReleaseAll();

    size_t ObjectCount() const { return m_objects.size(); }
    size_t HeldBackCount() const { return m_heldBack.size(); }
    QDBusConnection Connection() const { return m_connection; }

  signals:
    // The connection to the bus was lost.
    void Disconnected();

  private slots:
    void OnClientGone(const QString& name);
    void OnBusDisconnected();

  private:
    struct ClassEntry {
        CLSID clsid;
        std::vector<std::string> progIds;
        const InterfaceInfo* itf = nullptr;
        ComPtr<IClassFactory> factory;
    };
    struct ObjectEntry {
        QString path;
        ComPtr<IDispatch> dispatch;
        const InterfaceInfo* itf = nullptr;
        std::set<QString> users;
        QTimer* orphanTimer = nullptr;
    };
    class FactoryNode;
    class ObjectsNode;

    // While a modal dialog runs (ModalDepth.h) calls wait in m_heldBack and
    // are handled in their order of arrival once the depth is zero again.
    bool HoldBack(const QDBusMessage& msg, bool bFactory);
    void DrainHeldBack();
    bool HandleFactoryCall(const QDBusMessage& msg);
    bool HandleObjectCall(const QDBusMessage& msg);
    QString IntrospectFactory() const;
    QString IntrospectObject(const QString& path) const;
    void CreateInstance(const QDBusMessage& msg);
    void LockServer(const QDBusMessage& msg);
    void CallMethod(const QDBusMessage& msg, uint64_t id, const MethodInfo& method);
    void ReleaseObject(uint64_t id);
    void AddUser(ObjectEntry& object, const QString& user);
    void Watch(const QString& user);
    ClassEntry* FindClass(const std::string& clsidOrProgId);
    bool ParseObjectPath(const QString& path, uint64_t& id) const;
    void Unlock(int count);
    void ReplyError(const QDBusMessage& msg, const QString& name, const QString& text);

    QDBusConnection m_connection;
    LocalServerEndpoint m_endpoint;
    std::chrono::milliseconds m_grace = kDefaultClientGrace;
    std::vector<InterfaceInfo> m_interfaces;
    QString m_xml;
    std::map<QString, QString> m_interfaceXml;  // bus interface name -> its <interface> element
    std::vector<ClassEntry> m_classes;
    std::map<uint64_t, ObjectEntry> m_objects;
    uint64_t m_nextId = 1;
    std::map<QString, int> m_locks;       // client -> LockServer(true) calls not yet balanced
    ComPtr<IClassFactory> m_lockFactory;  // the factory whose LockServer the locks went to
    std::set<QString> m_watched;
    QDBusServiceWatcher* m_watcher = nullptr;
    std::unique_ptr<FactoryNode> m_factoryNode;
    std::unique_ptr<ObjectsNode> m_objectsNode;
    bool m_published = false;
    std::deque<std::pair<QDBusMessage, bool>> m_heldBack;  // message, to the factory
    bool m_bDraining = false;
};

}  // namespace qx::bus
