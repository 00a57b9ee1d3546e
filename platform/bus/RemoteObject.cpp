#include "RemoteObject.h"

#include <QDBusMessage>
#include <QDBusObjectPath>

#include <climits>
#include <vector>

#include "BusErrors.h"
#include "TypeLibraryXml.h"
#include "WireVariant.h"
#include "platform/com/ComRuntime.h"

namespace qx::bus {

namespace {

// libdbus takes INT_MAX as "no time limit".
constexpr int kNoTimeLimit = INT_MAX;
constexpr int kActivationAttempts = 3;

const QString kIntrospectable = QStringLiteral("org.freedesktop.DBus.Introspectable");

class RemoteObject final : public IDispatch, public IBusObject {
  public:
    RemoteObject(QDBusConnection connection, QString service, QString path,
                 LocalServerEndpoint endpoint)
        : m_connection(std::move(connection)),
          m_service(std::move(service)),
          m_path(std::move(path)),
          m_endpoint(std::move(endpoint)) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch)
            *ppv = static_cast<IDispatch*>(this);
        else if (riid == IID_IBusObject)
            *ppv = static_cast<IBusObject*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0) {
            ReleaseRemote();
            delete this;
        }
        return n;
    }

    HRESULT GetTypeInfoCount(uint32_t* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(uint32_t, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, const OLECHAR* const* names, uint32_t count, LCID,
                          DISPID* ids) override {
        if (!names || !ids || count == 0)
            return E_INVALIDARG;
        const InterfaceInfo* itf = Interface();
        if (!itf)
            return m_lastError;
        std::string wanted = Utf8FromUtf16(std::u16string_view(names[0] ? names[0] : u""));
        const MethodInfo* m = itf->FindMethod(wanted);
        ids[0] = m ? m->dispid : -1;
        HRESULT hr = m ? S_OK : DISP_E_UNKNOWNNAME;
        for (uint32_t i = 1; i < count; ++i) {
            ids[i] = -1;
            hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, uint32_t* argErr) override;

    QString Service() const override { return m_service; }
    QString Path() const override { return m_path; }
    const InterfaceInfo* Interface() override;

  private:
    ~RemoteObject() = default;
    void ReleaseRemote();
    HRESULT Fail(uint32_t* argErr, size_t index, HRESULT hr) {
        if (argErr)
            *argErr = static_cast<uint32_t>(index);
        return hr;
    }

    QDBusConnection m_connection;
    QString m_service, m_path;
    LocalServerEndpoint m_endpoint;
    ULONG m_refs = 1;
    std::optional<InterfaceInfo> m_itf;
    HRESULT m_lastError = S_OK;
};

const InterfaceInfo* RemoteObject::Interface() {
    if (m_itf)
        return &*m_itf;
    QDBusMessage call = QDBusMessage::createMethodCall(m_service, m_path, kIntrospectable,
                                                       QStringLiteral("Introspect"));
    QDBusMessage reply = m_connection.call(call, QDBus::Block, kNoTimeLimit);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_lastError = HResultFromBusError(reply.errorName(), BusOperation::Call);
        return nullptr;
    }
    std::vector<InterfaceInfo> interfaces;
    if (!ParseTypeLibrary(reply.arguments().value(0).toString(), interfaces, nullptr) ||
        interfaces.empty()) {
        // A released object has no automation interface left to describe.
        m_lastError = RPC_E_DISCONNECTED;
        return nullptr;
    }
    m_itf = std::move(interfaces.front());
    return &*m_itf;
}

HRESULT RemoteObject::Invoke(DISPID id, REFIID, LCID, uint16_t flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO*, uint32_t* argErr) {
    if (!(flags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    const InterfaceInfo* itf = Interface();
    if (!itf)
        return m_lastError;
    const MethodInfo* method = itf->FindDispid(id);
    if (!method)
        return DISP_E_MEMBERNOTFOUND;
    if (params && params->cNamedArgs != 0)
        return DISP_E_NONAMEDARGS;
    size_t given = params ? params->cArgs : 0;
    size_t count = method->params.size();
    // A trailing [out, retval] may be left to the result.
    bool retvalToResult =
        count > 0 && given + 1 == count && method->params.back().flags == ParamFlags::OutRetval;
    if (given != count && !retvalToResult)
        return DISP_E_BADPARAMCOUNT;
    auto argAt = [&](size_t i) -> VARIANTARG* {
        return i < given ? &params->rgvarg[given - 1 - i] : nullptr;
    };

    QVariantList in;
    for (size_t i = 0; i < count; ++i) {
        const ParamInfo& p = method->params[i];
        VARIANTARG* a = argAt(i);
        if (p.IsOut()) {
            if (!a)
                continue;  // the retval
            bool fits = (p.type & ~VT_BYREF) == VT_VARIANT
                            ? a->vt == (VT_BYREF | VT_VARIANT)
                            : a->vt == (VT_BYREF | VT_I4) || a->vt == (VT_BYREF | VT_INT);
            if (!fits || !a->byref)
                return Fail(argErr, given - 1 - i, DISP_E_TYPEMISMATCH);
            continue;
        }
        Variant value;
        HRESULT hr = VariantChangeType(value.Get(), a, 0, p.type == VT_INT ? VT_I4 : p.type);
        if (FAILED(hr))
            return Fail(argErr, given - 1 - i, hr);
        switch (p.type) {
            case VT_BSTR: {
                std::u16string_view text(value->bstrVal ? value->bstrVal : u"",
                                         SysStringLen(value->bstrVal));
                // A bus string holds no zero character.
                if (text.find(u'\0') != std::u16string_view::npos)
                    return Fail(argErr, given - 1 - i, E_INVALIDARG);
                in << QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
                break;
            }
            case VT_I2:
            case VT_BOOL:
                in << QVariant::fromValue(static_cast<short>(value->iVal));
                break;
            default:
                in << QVariant::fromValue(static_cast<int>(value->lVal));
                break;
        }
    }

    QDBusMessage call =
        QDBusMessage::createMethodCall(m_service, m_path, QString::fromStdString(itf->busName),
                                       QString::fromStdString(method->name));
    call.setArguments(in);
    QDBusMessage reply = m_connection.call(call, QDBus::Block, kNoTimeLimit);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return HResultFromBusError(reply.errorName(), BusOperation::Call);
    if (reply.signature() != ReplySignature(*method))
        return RPC_E_INVALID_DATA;

    const QVariantList out = reply.arguments();
    auto hr = static_cast<HRESULT>(out.value(0).toInt());
    int next = 1;
    for (size_t i = 0; i < count; ++i) {
        const ParamInfo& p = method->params[i];
        if (!p.IsOut())
            continue;
        const QVariant& value = out[next++];
        VARIANTARG* a = argAt(i);
        if ((p.type & ~VT_BYREF) == VT_VARIANT) {
            VARIANT* target = a ? a->pvarVal : result;
            VARIANT ignored;
            VariantInit(&ignored);
            if (!DecodeVariant(value, target ? target : &ignored, nullptr))
                return RPC_E_INVALID_DATA;
            VariantClear(&ignored);
        } else if (a) {
            *a->plVal = value.toInt();
        } else if (result) {
            VariantClear(result);
            result->vt = VT_I4;
            result->lVal = value.toInt();
        }
    }
    return hr;
}

void RemoteObject::ReleaseRemote() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        m_service, m_path, m_endpoint.objectInterface, QStringLiteral("Release"));
    // Waited for, so that the server has let go before the caller goes on
    // (and before a process that ends right after has flushed its messages).
    m_connection.call(call, QDBus::Block, kNoTimeLimit);
}

}  // namespace

IDispatch* CreateRemoteObject(QDBusConnection connection, const QString& service,
                              const QString& path, const LocalServerEndpoint& endpoint) {
    return new RemoteObject(std::move(connection), service, path, endpoint);
}

HRESULT CreateRemoteInstance(QDBusConnection connection, const LocalServerEndpoint& endpoint,
                             const QString& clsidOrProgId, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    RegisterWireTypes();
    QDBusMessage call =
        QDBusMessage::createMethodCall(endpoint.service, endpoint.factoryPath,
                                       endpoint.factoryInterface, QStringLiteral("CreateInstance"));
    call << clsidOrProgId;
    QDBusMessage reply;
    HRESULT hr = CO_E_SERVER_STOPPING;
    // A server that is just ending answers that it is stopping, having given
    // its name up: asked again, the bus starts a new one (the object
    // runtime's activation does the same).
    for (int attempt = 0; attempt < kActivationAttempts && hr == CO_E_SERVER_STOPPING; ++attempt) {
        reply = connection.call(call, QDBus::Block, kNoTimeLimit);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return HResultFromBusError(reply.errorName(), BusOperation::Activation);
        if (reply.signature() != QLatin1String("io"))
            return RPC_E_INVALID_DATA;
        hr = static_cast<HRESULT>(reply.arguments().value(0).toInt());
    }
    if (FAILED(hr))
        return hr;
    QString path = reply.arguments().value(1).value<QDBusObjectPath>().path();
    // Calls go to the server that made the object, not to whoever owns the
    // well-known name later.
    IDispatch* proxy = CreateRemoteObject(connection, reply.service(), path, endpoint);
    hr = proxy->QueryInterface(riid, ppv);
    proxy->Release();
    return hr;
}

void InstallLocalServerActivator(QDBusConnection connection, const LocalServerEndpoint& endpoint) {
    SetLocalServerActivator([connection, endpoint](REFCLSID clsid, REFIID riid, void** ppv) {
        return CreateRemoteInstance(connection, endpoint, QString::fromStdString(clsid.ToString()),
                                    riid, ppv);
    });
}

}  // namespace qx::bus
