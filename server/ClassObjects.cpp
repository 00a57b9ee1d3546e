#include "ClassObjects.h"

#include <QDBusConnection>

#include <string>
#include <vector>

#include "ClassFactory.h"
#include "automation/TypeLibrary.h"
#include "platform/bus/LocalServerHost.h"
#include "trace/Trace.h"

namespace qx {

CClassObjects::CClassObjects() = default;

CClassObjects::~CClassObjects() {
    Revoke();
    ReleaseAll();
}

bool CClassObjects::Register(QString* failure) {
    if (m_host)
        return true;
    auto host = std::make_unique<bus::LocalServerHost>(QDBusConnection::sessionBus(),
                                                       KORVALENMISvrEndpoint());
    QString ignored;
    QString& error = failure ? *failure : ignored;
    if (!host->LoadTypeLibrary(TypeLibraryXml(), &error)) {
        Trace(kTracePrefix, "The type library cannot be read: %s", error.toUtf8().constData());
        error = QStringLiteral("the type library cannot be read: ") + error;
        return false;
    }
    for (const auto& row : kObjectTable) {
        auto* factory = new CClassFactory(row);
        std::string stem = row.progIdStem;
        host->RegisterClassObject(*row.clsid, {stem, stem + ".1"}, *row.iid, factory);
        factory->Release();
    }
    if (!host->Publish(&error)) {
        Trace(kTracePrefix, "Class factories not registered: %s", error.toUtf8().constData());
        return false;
    }
    connect(host.get(), &bus::LocalServerHost::Disconnected, this, &CClassObjects::BusLost);
    m_host = std::move(host);
    return true;
}

void CClassObjects::Revoke() {
    if (!m_host)
        return;
    m_host->Unpublish();
    m_host->RevokeAll();
}

void CClassObjects::ReleaseAll() {
    if (m_host)
        m_host->ReleaseAll();
    m_host.reset();
}

}  // namespace qx
