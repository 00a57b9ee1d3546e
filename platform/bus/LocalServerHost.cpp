#include "LocalServerHost.h"

#include "platform/text/TextCase.h"

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QTimer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cctype>

#include "ModalDepth.h"
#include "TypeLibraryXml.h"
#include "WireVariant.h"
#include "platform/com/ComRuntime.h"

namespace qx::bus {

namespace {

const QString kErrorUnknownObject = QStringLiteral("org.freedesktop.DBus.Error.UnknownObject");
const QString kErrorUnknownMethod = QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod");
const QString kErrorUnknownInterface =
    QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface");
const QString kErrorInvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");

bool IsStandardInterface(const QString& name) {
    return name.startsWith(QLatin1String("org.freedesktop.DBus."));
}

// Splits an introspection document into its <interface> elements, by name.
std::map<QString, QString> InterfaceElements(const QString& xml) {
    std::map<QString, QString> out;
    QXmlStreamReader r(xml);
    QString text, name;
    std::unique_ptr<QXmlStreamWriter> w;
    int depth = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (!w && r.isStartElement() && r.name() == QLatin1String("interface")) {
            text.clear();
            name = r.attributes().value(QLatin1String("name")).toString();
            w = std::make_unique<QXmlStreamWriter>(&text);
            w->setAutoFormatting(true);
            depth = 0;
        }
        if (!w)
            continue;
        if (r.isStartElement())
            ++depth;
        if (r.isEndElement())
            --depth;
        if (!r.isStartDocument() && !r.isEndDocument() && !r.isDTD())
            w->writeCurrentToken(r);
        if (depth == 0) {
            w.reset();
            out[name] = text.trimmed() + QLatin1Char('\n');
        }
    }
    return out;
}

}  // namespace

// The factory object: one path, no children of its own.
class LocalServerHost::FactoryNode : public QDBusVirtualObject {
  public:
    explicit FactoryNode(LocalServerHost* host) : m_host(host) {}
    QString introspect(const QString&) const override { return m_host->IntrospectFactory(); }
    bool handleMessage(const QDBusMessage& msg, const QDBusConnection&) override {
        return m_host->HandleFactoryCall(msg);
    }

  private:
    LocalServerHost* m_host;
};

// The subtree of the objects handed out.
class LocalServerHost::ObjectsNode : public QDBusVirtualObject {
  public:
    explicit ObjectsNode(LocalServerHost* host) : m_host(host) {}
    QString introspect(const QString& path) const override {
        return m_host->IntrospectObject(path);
    }
    bool handleMessage(const QDBusMessage& msg, const QDBusConnection&) override {
        return m_host->HandleObjectCall(msg);
    }

  private:
    LocalServerHost* m_host;
};

LocalServerHost::LocalServerHost(QDBusConnection connection, LocalServerEndpoint endpoint,
                                 QObject* parent)
    : QObject(parent),
      m_connection(std::move(connection)),
      m_endpoint(std::move(endpoint)),
      m_factoryNode(std::make_unique<FactoryNode>(this)),
      m_objectsNode(std::make_unique<ObjectsNode>(this)) {
    RegisterWireTypes();
    m_watcher = new QDBusServiceWatcher(this);
    m_watcher->setConnection(m_connection);
    m_watcher->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this,
            &LocalServerHost::OnClientGone);
    connect(ModalDepthNotifier::Instance(), &ModalDepthNotifier::depthDropped, this,
            &LocalServerHost::DrainHeldBack, Qt::QueuedConnection);
    m_connection.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                         QStringLiteral("org.freedesktop.DBus.Local"),
                         QStringLiteral("Disconnected"), this, SLOT(OnBusDisconnected()));
}

LocalServerHost::~LocalServerHost() {
    ReleaseAll();
    Unpublish();
    RevokeAll();
}

bool LocalServerHost::LoadTypeLibrary(const QString& typeLibraryXml, QString* error) {
    std::vector<InterfaceInfo> parsed;
    if (!ParseTypeLibrary(typeLibraryXml, parsed, error))
        return false;
    if (!m_classes.empty()) {
        if (error)
            *error = QStringLiteral("the type library is loaded before classes are registered");
        return false;
    }
    m_interfaces = std::move(parsed);
    m_xml = typeLibraryXml;
    m_interfaceXml = InterfaceElements(typeLibraryXml);
    return true;
}

HRESULT LocalServerHost::RegisterClassObject(REFCLSID clsid,
                                             const std::vector<std::string>& progIds,
                                             REFIID classInterface, IClassFactory* factory) {
    if (!factory)
        return E_INVALIDARG;
    const InterfaceInfo* itf = nullptr;
    for (const auto& i : m_interfaces)
        if (i.iid == classInterface)
            itf = &i;
    if (!itf)
        return TYPE_E_ELEMENTNOTFOUND;
    RevokeClassObject(clsid);
    m_classes.push_back(ClassEntry{clsid, progIds, itf, ComPtr<IClassFactory>(factory)});
    return S_OK;
}

void LocalServerHost::RevokeClassObject(REFCLSID clsid) {
    for (auto it = m_classes.begin(); it != m_classes.end(); ++it) {
        if (it->clsid == clsid) {
            m_classes.erase(it);
            return;
        }
    }
}

void LocalServerHost::RevokeAll() {
    m_classes.clear();
}

bool LocalServerHost::Publish(QString* error) {
    QString ignored;
    if (!error)
        error = &ignored;
    if (m_published)
        return true;
    if (!m_connection.isConnected()) {
        *error =
            QStringLiteral("not connected to the bus: %1").arg(m_connection.lastError().message());
        return false;
    }
    if (!m_connection.registerVirtualObject(m_endpoint.factoryPath, m_factoryNode.get()) ||
        !m_connection.registerVirtualObject(m_endpoint.ObjectsPath(), m_objectsNode.get(),
                                            QDBusConnection::SubPath)) {
        *error = QStringLiteral("cannot register the objects at %1").arg(m_endpoint.factoryPath);
        m_connection.unregisterObject(m_endpoint.factoryPath, QDBusConnection::UnregisterTree);
        return false;
    }
    // Queued behind a server that runs already: it takes over when that one ends.
    auto reply = m_connection.interface()->registerService(
        m_endpoint.service, QDBusConnectionInterface::QueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() == QDBusConnectionInterface::ServiceNotRegistered) {
        *error =
            QStringLiteral("cannot own %1: %2").arg(m_endpoint.service, reply.error().message());
        m_connection.unregisterObject(m_endpoint.factoryPath, QDBusConnection::UnregisterTree);
        return false;
    }
    m_published = true;
    return true;
}

void LocalServerHost::Unpublish() {
    if (!m_published)
        return;
    m_published = false;
    if (m_connection.interface())
        m_connection.interface()->unregisterService(m_endpoint.service);
    m_connection.unregisterObject(m_endpoint.factoryPath, QDBusConnection::UnregisterNode);
}

void LocalServerHost::ReleaseAll() {
    while (!m_objects.empty())
        ReleaseObject(m_objects.begin()->first);
    auto locks = std::move(m_locks);
    m_locks.clear();
    for (auto& [client, count] : locks)
        Unlock(count);
    if (m_published || m_connection.isConnected())
        m_connection.unregisterObject(m_endpoint.ObjectsPath(), QDBusConnection::UnregisterTree);
}

void LocalServerHost::ReplyError(const QDBusMessage& msg, const QString& name,
                                 const QString& text) {
    if (msg.isReplyRequired())
        m_connection.send(msg.createErrorReply(name, text));
}

LocalServerHost::ClassEntry* LocalServerHost::FindClass(const std::string& text) {
    auto clsid = GUID::Parse(text);
    for (auto& c : m_classes) {
        if (clsid && c.clsid == *clsid)
            return &c;
        for (const auto& p : c.progIds)
            if (EqualsNoCase(p, text))
                return &c;
    }
    if (!clsid) {
        // A ProgID registered for one of our classes under another name.
        CLSID registered;
        if (SUCCEEDED(CLSIDFromProgID(text, &registered)))
            for (auto& c : m_classes)
                if (c.clsid == registered)
                    return &c;
    }
    return nullptr;
}

bool LocalServerHost::HoldBack(const QDBusMessage& msg, bool bFactory) {
    if (ModalDepth() == 0 && (m_heldBack.empty() || m_bDraining))
        return false;
    m_heldBack.emplace_back(msg, bFactory);
    return true;
}

void LocalServerHost::DrainHeldBack() {
    if (m_bDraining)
        return;
    m_bDraining = true;
    while (!m_heldBack.empty() && ModalDepth() == 0) {
        auto [msg, bFactory] = std::move(m_heldBack.front());
        m_heldBack.pop_front();
        if (bFactory)
            HandleFactoryCall(msg);
        else
            HandleObjectCall(msg);
    }
    m_bDraining = false;
}

bool LocalServerHost::HandleFactoryCall(const QDBusMessage& msg) {
    if (msg.type() != QDBusMessage::MethodCallMessage)
        return false;
    if (IsStandardInterface(msg.interface()))
        return false;
    if (HoldBack(msg, true))
        return true;
    if (!msg.interface().isEmpty() && msg.interface() != m_endpoint.factoryInterface) {
        ReplyError(msg, kErrorUnknownInterface,
                   QStringLiteral("No interface %1 here").arg(msg.interface()));
        return true;
    }
    if (msg.member() == QLatin1String("CreateInstance") && msg.signature() == QLatin1String("s")) {
        CreateInstance(msg);
    } else if (msg.member() == QLatin1String("LockServer") &&
               msg.signature() == QLatin1String("b")) {
        LockServer(msg);
    } else if (msg.member() == QLatin1String("CreateInstance") ||
               msg.member() == QLatin1String("LockServer")) {
        ReplyError(msg, kErrorInvalidArgs,
                   QStringLiteral("%1 takes (%2), not (%3)")
                       .arg(msg.member(), msg.member() == QLatin1String("LockServer") ? "b" : "s",
                            msg.signature()));
    } else {
        ReplyError(msg, kErrorUnknownMethod,
                   QStringLiteral("No method %1 on the class factory").arg(msg.member()));
    }
    return true;
}

void LocalServerHost::CreateInstance(const QDBusMessage& msg) {
    std::string text = msg.arguments().value(0).toString().toStdString();
    // With its classes revoked the server is on its way out: the client's
    // runtime asks again, and the bus starts a new server.
    HRESULT hr = m_classes.empty() ? CO_E_SERVER_STOPPING : REGDB_E_CLASSNOTREG;
    QDBusObjectPath path(QStringLiteral("/"));
    ClassEntry* c = FindClass(text);
    if (c) {
        ComPtr<IClassFactory> factory = c->factory;  // the class may be revoked during creation
        const InterfaceInfo* itf = c->itf;
        ComPtr<IDispatch> object;
        hr = factory->CreateInstance(nullptr, IID_IDispatch, object.OutVoid());
        if (SUCCEEDED(hr) && object) {
            uint64_t id = m_nextId++;
            ObjectEntry& entry = m_objects[id];
            entry.path = m_endpoint.ObjectsPath() + QStringLiteral("/") + QString::number(id);
            entry.dispatch = std::move(object);
            entry.itf = itf;
            AddUser(entry, msg.service());
            path = QDBusObjectPath(entry.path);
            hr = S_OK;
        } else if (SUCCEEDED(hr)) {
            hr = E_NOINTERFACE;
        }
    }
    if (msg.isReplyRequired())
        m_connection.send(msg.createReply(
            QVariantList{QVariant::fromValue(static_cast<int>(hr)), QVariant::fromValue(path)}));
}

void LocalServerHost::LockServer(const QDBusMessage& msg) {
    bool lock = msg.arguments().value(0).toBool();
    HRESULT hr = S_FALSE;
    const QString& client = msg.service();
    if (lock && m_classes.empty()) {
        hr = CO_E_SERVER_STOPPING;
    } else if (lock) {
        if (!m_lockFactory)
            m_lockFactory = m_classes.front().factory;
        hr = m_lockFactory->LockServer(true);
        if (SUCCEEDED(hr)) {
            ++m_locks[client];
            Watch(client);
        }
    } else if (auto it = m_locks.find(client); it != m_locks.end()) {
        // Only a client's own locks can be given back, so that a stray
        // unlock never lets the server end under another client's objects.
        if (--it->second == 0)
            m_locks.erase(it);
        Unlock(1);
        hr = S_OK;
    }
    if (msg.isReplyRequired())
        m_connection.send(msg.createReply(QVariantList{QVariant::fromValue(static_cast<int>(hr))}));
}

void LocalServerHost::Unlock(int count) {
    if (!m_lockFactory)
        return;
    for (int i = 0; i < count; ++i)
        m_lockFactory->LockServer(false);
}

bool LocalServerHost::ParseObjectPath(const QString& path, uint64_t& id) const {
    QString prefix = m_endpoint.ObjectsPath() + QLatin1Char('/');
    if (!path.startsWith(prefix))
        return false;
    bool ok = false;
    id = path.mid(prefix.size()).toULongLong(&ok);
    return ok && m_objects.count(id) != 0;
}

bool LocalServerHost::HandleObjectCall(const QDBusMessage& msg) {
    if (msg.type() != QDBusMessage::MethodCallMessage)
        return false;
    if (IsStandardInterface(msg.interface()))
        return false;
    if (HoldBack(msg, false))
        return true;
    uint64_t id = 0;
    if (!ParseObjectPath(msg.path(), id)) {
        ReplyError(msg, kErrorUnknownObject,
                   QStringLiteral("No object at %1 (released?)").arg(msg.path()));
        return true;
    }
    ObjectEntry& object = m_objects[id];
    const QString& itf = msg.interface();
    bool objectInterface = itf == m_endpoint.objectInterface ||
                           (itf.isEmpty() && msg.member() == QLatin1String("Release"));
    if (objectInterface) {
        if (msg.member() != QLatin1String("Release") || !msg.signature().isEmpty()) {
            ReplyError(msg, kErrorUnknownMethod, QStringLiteral("%1 has only Release()").arg(itf));
            return true;
        }
        ReleaseObject(id);
        if (msg.isReplyRequired())
            m_connection.send(msg.createReply());
        return true;
    }
    if (!itf.isEmpty() && itf.toStdString() != object.itf->busName) {
        ReplyError(msg, kErrorUnknownInterface,
                   QStringLiteral("No interface %1 at %2").arg(itf, msg.path()));
        return true;
    }
    const MethodInfo* method = nullptr;
    for (const auto& m : object.itf->methods)
        if (QString::fromStdString(m.name) == msg.member())
            method = &m;
    if (!method) {
        ReplyError(msg, kErrorUnknownMethod,
                   QStringLiteral("No method %1 in %2")
                       .arg(msg.member(), QString::fromStdString(object.itf->busName)));
        return true;
    }
    if (msg.signature() != InSignature(*method)) {
        ReplyError(msg, kErrorInvalidArgs,
                   QStringLiteral("%1 takes (%2), not (%3)")
                       .arg(msg.member(), InSignature(*method), msg.signature()));
        return true;
    }
    AddUser(object, msg.service());
    CallMethod(msg, id, *method);
    return true;
}

void LocalServerHost::CallMethod(const QDBusMessage& msg, uint64_t id, const MethodInfo& method) {
    // Kept alive through the call: a nested event loop (a dialog) may let
    // another client release the object meanwhile.
    ComPtr<IDispatch> target = m_objects[id].dispatch;
    const QVariantList in = msg.arguments();
    size_t count = method.params.size();
    std::vector<Variant> inValues(count);
    std::vector<Variant> outVariants(count);
    std::vector<int32_t> outInts(count, 0);
    std::vector<VARIANTARG> args(count);
    int next = 0;
    for (size_t i = 0; i < count; ++i) {
        const ParamInfo& p = method.params[i];
        VARIANTARG& a = args[count - 1 - i];  // last argument first
        VariantInit(&a);
        if (p.IsOut()) {
            if ((p.type & ~VT_BYREF) == VT_VARIANT) {
                a.vt = VT_BYREF | VT_VARIANT;
                a.pvarVal = outVariants[i].Get();
            } else {
                a.vt = p.type;
                a.plVal = &outInts[i];
            }
            continue;
        }
        const QVariant& value = in[next++];
        switch (p.type) {
            case VT_BSTR: {
                QString s = value.toString();
                inValues[i] = Variant::AdoptBstr(SysAllocStringLen(
                    reinterpret_cast<const OLECHAR*>(s.utf16()), static_cast<uint32_t>(s.size())));
                break;
            }
            case VT_I2:
            case VT_BOOL:
                inValues[i] = Variant::Of(p.type, value.value<short>());
                break;
            default:
                inValues[i] = Variant::Of(p.type, value.toInt());
                break;
        }
        a = *inValues[i].Get();  // borrowed; inValues owns it
    }
    DISPPARAMS params{args.data(), nullptr, static_cast<uint32_t>(count), 0};
    HRESULT hr = target->Invoke(method.dispid, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                                nullptr, nullptr);

    QVariantList reply;
    reply << QVariant::fromValue(static_cast<int>(hr));
    for (size_t i = 0; i < count; ++i) {
        const ParamInfo& p = method.params[i];
        if (!p.IsOut())
            continue;
        if ((p.type & ~VT_BYREF) == VT_VARIANT) {
            QVariant encoded;
            if (!EncodeVariant(*outVariants[i].Get(), encoded)) {
                // An interface or a reference cannot travel: the caller gets
                // VT_EMPTY and learns why from the result.
                if (SUCCEEDED(hr))
                    reply[0] = QVariant::fromValue(static_cast<int>(DISP_E_TYPEMISMATCH));
                EncodeVariant(*Variant().Get(), encoded);
            }
            reply << encoded;
        } else {
            reply << QVariant::fromValue(static_cast<int>(outInts[i]));
        }
    }
    if (msg.isReplyRequired())
        m_connection.send(msg.createReply(reply));
}

void LocalServerHost::ReleaseObject(uint64_t id) {
    auto it = m_objects.find(id);
    if (it == m_objects.end())
        return;
    ComPtr<IDispatch> object = std::move(it->second.dispatch);
    delete it->second.orphanTimer;
    m_objects.erase(it);
    object.Reset();  // may end the server's last lock
}

void LocalServerHost::Watch(const QString& user) {
    if (user.isEmpty() || m_watched.count(user))
        return;
    m_watched.insert(user);
    m_watcher->addWatchedService(user);
    // A client may have left between sending and our watching; the bus would
    // never tell us then.
    if (m_connection.interface() && !m_connection.interface()->isServiceRegistered(user).value())
        QMetaObject::invokeMethod(this, "OnClientGone", Qt::QueuedConnection, Q_ARG(QString, user));
}

void LocalServerHost::AddUser(ObjectEntry& object, const QString& user) {
    if (user.isEmpty())
        return;  // a peer-to-peer caller has no name to watch
    if (object.orphanTimer) {
        delete object.orphanTimer;
        object.orphanTimer = nullptr;
    }
    if (object.users.insert(user).second)
        Watch(user);
}

void LocalServerHost::OnClientGone(const QString& name) {
    if (!m_watched.erase(name))
        return;
    m_watcher->removeWatchedService(name);
    if (auto it = m_locks.find(name); it != m_locks.end()) {
        int count = it->second;
        m_locks.erase(it);
        Unlock(count);
    }
    for (auto& [id, object] : m_objects) {
        if (!object.users.erase(name) || !object.users.empty() || object.orphanTimer)
            continue;
        object.orphanTimer = new QTimer(this);
        object.orphanTimer->setSingleShot(true);
        object.orphanTimer->setTimerType(Qt::PreciseTimer);
        uint64_t objectId = id;
        connect(object.orphanTimer, &QTimer::timeout, this,
                [this, objectId] { ReleaseObject(objectId); });
        object.orphanTimer->start(m_grace);
    }
}

void LocalServerHost::OnBusDisconnected() {
    emit Disconnected();
}

QString LocalServerHost::IntrospectFactory() const {
    auto it = m_interfaceXml.find(m_endpoint.factoryInterface);
    return (it != m_interfaceXml.end() ? it->second : QString()) +
           QStringLiteral("<node name=\"objects\"/>\n");
}

QString LocalServerHost::IntrospectObject(const QString& path) const {
    if (path == m_endpoint.ObjectsPath()) {
        QString children;
        for (const auto& [id, object] : m_objects)
            children += QStringLiteral("<node name=\"%1\"/>\n").arg(id);
        return children;
    }
    uint64_t id = 0;
    if (!ParseObjectPath(path, id))
        return QString();
    const auto& object = m_objects.at(id);
    QString xml;
    for (const QString& name :
         {QString::fromStdString(object.itf->busName), m_endpoint.objectInterface}) {
        auto it = m_interfaceXml.find(name);
        if (it != m_interfaceXml.end())
            xml += it->second;
    }
    return xml;
}

}  // namespace qx::bus
