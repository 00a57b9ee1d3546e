// Automation over a private bus: a local-server host in a thread of its own
// with a test class, and clients (proxies, raw bus messages) on their own
// connections. Covers the VARIANT encoding, calls with in, out and retval
// values, release, the rules for clients that leave, LockServer, and the
// errors a malformed call gets.

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSemaphore>
#include <QThread>
#include <QTimer>

#include <atomic>

#include "platform/bus/BusErrors.h"
#include "platform/bus/LocalServerHost.h"
#include "platform/bus/ModalDepth.h"
#include "platform/bus/RemoteObject.h"
#include "platform/bus/WireVariant.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/DispatchTable.h"
#include "support/PrivateBus.h"

using namespace qx;

namespace {

const bus::LocalServerEndpoint kEndpoint{"com.quorvia.QxTest", "/com/quorvia/QxTest",
                                         "com.quorvia.QxTest.ClassFactory",
                                         "com.quorvia.QxTest.Object"};
constexpr CLSID kClsid = MakeGuid("A1B2C3D4-0000-4000-8000-000000000001");
constexpr IID kIid = MakeGuid("A1B2C3D4-0000-4000-8000-000000000002");

const char* kXml = R"xml(<node>
 <interface name="com.quorvia.QxTest.ClassFactory">
  <method name="CreateInstance"><arg name="clsidOrProgId" type="s" direction="in"/>
   <arg name="hresult" type="i" direction="out"/><arg name="object" type="o" direction="out"/></method>
  <method name="LockServer"><arg name="lock" type="b" direction="in"/><arg name="hresult" type="i" direction="out"/></method>
 </interface>
 <interface name="com.quorvia.QxTest.Object"><method name="Release"/></interface>
 <interface name="com.quorvia.QxTest.IThing">
  <annotation name="com.quorvia.Automation.Uuid" value="{A1B2C3D4-0000-4000-8000-000000000002}"/>
  <annotation name="com.quorvia.Automation.HelpString" value="IThing Interface"/>
  <method name="Values">
   <annotation name="com.quorvia.Automation.DispId" value="1"/>
   <arg name="which" type="i" direction="in"><annotation name="com.quorvia.Automation.Type" value="long"/></arg>
   <arg name="hresult" type="i" direction="out"><annotation name="com.quorvia.Automation.Type" value="HRESULT"/></arg>
   <arg name="value" type="(qv)" direction="out"><annotation name="com.quorvia.Automation.Type" value="VARIANT*"/>
    <annotation name="com.quorvia.Automation.ParamFlags" value="none"/></arg>
  </method>
  <method name="Count">
   <annotation name="com.quorvia.Automation.DispId" value="2"/>
   <arg name="hresult" type="i" direction="out"><annotation name="com.quorvia.Automation.Type" value="HRESULT"/></arg>
   <arg name="n" type="i" direction="out"><annotation name="com.quorvia.Automation.Type" value="int*"/>
    <annotation name="com.quorvia.Automation.ParamFlags" value="out"/></arg>
  </method>
  <method name="Join">
   <annotation name="com.quorvia.Automation.DispId" value="3"/>
   <arg name="text" type="s" direction="in"><annotation name="com.quorvia.Automation.Type" value="BSTR"/></arg>
   <arg name="number" type="i" direction="in"><annotation name="com.quorvia.Automation.Type" value="long"/></arg>
   <arg name="hresult" type="i" direction="out"><annotation name="com.quorvia.Automation.Type" value="HRESULT"/></arg>
   <arg name="joined" type="(qv)" direction="out"><annotation name="com.quorvia.Automation.Type" value="VARIANT*"/>
    <annotation name="com.quorvia.Automation.ParamFlags" value="out,retval"/></arg>
  </method>
 </interface>
</node>)xml";

struct IThing : IDispatch {
    virtual HRESULT Values(int32_t which, VARIANT* value) = 0;
    virtual HRESULT Count(int32_t* n) = 0;
    virtual HRESULT Join(BSTR text, int32_t number, VARIANT* joined) = 0;
};

std::atomic<int> g_alive{0};
std::atomic<int> g_locks{0};

class Thing final : public IThing {
  public:
    static constexpr DispatchMember<IThing> kTable[] = {
        {1, "Values", DispatchTo<&IThing::Values>},
        {2, "Count", DispatchTo<&IThing::Count>},
        {3, "Join", DispatchTo<&IThing::Join>, true},
    };
    Thing() { ++g_alive; }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown && riid != IID_IDispatch && riid != kIid)
            return E_NOINTERFACE;
        AddRef();
        *ppv = static_cast<IThing*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0) {
            --g_alive;
            delete this;
        }
        return n;
    }
    HRESULT GetTypeInfoCount(uint32_t*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(uint32_t, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, const OLECHAR* const* names, uint32_t count, LCID,
                          DISPID* ids) override {
        return TableGetIDsOfNames(kTable, names, count, ids);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, uint32_t*) override {
        return TableInvoke(kTable, static_cast<IThing*>(this), id, flags, params, result);
    }
    HRESULT Values(int32_t which, VARIANT* value) override {
        VariantClear(value);
        static const char16_t packed[] = {u'a', u'b', 0, 0};
        switch (which) {
            case 0:
                break;
            case 1:
                value->vt = VT_I2;
                value->iVal = -5;
                break;
            case 2:
                value->vt = VT_BOOL;
                value->boolVal = 1;
                break;
            case 3:
                value->vt = VT_I4;
                value->lVal = 123456;
                break;
            case 4:
                value->vt = VT_BSTR;
                value->bstrVal = SysAllocStringLen(packed, 4);
                break;
            case 5:
                value->vt = VT_UNKNOWN;
                value->punkVal = new Thing;
                break;
            case 6:
                value->vt = VT_BSTR;
                value->bstrVal = BstrFromUtf8("Zürich \xF0\x9F\x96\xA8");
                break;
            default:
                return E_INVALIDARG;
        }
        return S_OK;
    }
    HRESULT Count(int32_t* n) override {
        *n = 42;
        return S_FALSE;
    }
    HRESULT Join(BSTR text, int32_t number, VARIANT* joined) override {
        VariantClear(joined);
        joined->vt = VT_BSTR;
        joined->bstrVal = BstrFromUtf8(Utf8FromBstr(text) + std::to_string(number));
        return S_OK;
    }

  private:
    ~Thing() = default;
    ULONG m_refs = 1;
};

class Factory final : public IClassFactory {
  public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0)
            delete this;
        return n;
    }
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* t = new Thing;
        HRESULT hr = t->QueryInterface(riid, ppv);
        t->Release();
        return hr;
    }
    HRESULT LockServer(bool lock) override {
        g_locks += lock ? 1 : -1;
        return S_OK;
    }

  private:
    std::atomic<ULONG> m_refs{1};
};

// Answers every call with the arguments it got: a server that sends whatever
// a test wants a client to decode.
class Echo : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& msg, const QDBusConnection& c) override {
        c.send(msg.createReply(msg.arguments()));
        return true;
    }
};

// The host and its objects live on this thread, as the server's live on its main thread.
class HostThread : public QThread {
  public:
    // revoked: the classes are revoked once offered, as a server does when it
    // decides to end; calls may still reach it for a moment.
    explicit HostThread(QString address, bool revoked = false)
        : m_address(std::move(address)), m_revoked(revoked) {}
    QString uniqueName;
    std::atomic<bus::LocalServerHost*> host{nullptr};
    void run() override {
        {
            QDBusConnection c = QDBusConnection::connectToBus(m_address, ConnectionName());
            bus::LocalServerHost host(c, kEndpoint);
            host.SetClientGrace(std::chrono::milliseconds(400));
            QString error;
            bool ok = host.LoadTypeLibrary(QString::fromLatin1(kXml), &error);
            auto* factory = new Factory;
            ok = ok && host.RegisterClassObject(kClsid, {"QxTest.Thing", "QxTest.Thing.1"}, kIid,
                                                factory) == S_OK;
            factory->Release();
            ok = ok && host.Publish(&error);
            if (m_revoked)
                host.RevokeAll();
            Echo echo;
            c.registerVirtualObject(QStringLiteral("/echo"), &echo);
            uniqueName = ok ? c.baseService() : QString();
            this->host = &host;
            m_ready.release();
            exec();
            this->host = nullptr;
            c.unregisterObject(QStringLiteral("/echo"));
        }
        QDBusConnection::disconnectFromBus(ConnectionName());
    }
    void WaitReady() { m_ready.acquire(); }

  private:
    QString ConnectionName() const {
        return m_revoked ? QStringLiteral("stopping host") : QStringLiteral("host");
    }
    QString m_address;
    bool m_revoked = false;
    QSemaphore m_ready;
};

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QThread::msleep(10);
    }
    return true;
}

class BusHost : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_bus = new qxtest::PrivateBus;
        ASSERT_TRUE(s_bus->Ok());
        s_host = new HostThread(s_bus->Address());
        s_host->start();
        s_host->WaitReady();
        ASSERT_FALSE(s_host->uniqueName.isEmpty());
    }
    static void TearDownTestSuite() {
        s_host->quit();
        s_host->wait();
        delete s_host;
        delete s_bus;
    }
    void SetUp() override { m_client = s_bus->Connect(); }
    void TearDown() override {
        s_bus->Disconnect(m_client);
        EXPECT_TRUE(WaitFor([] { return g_alive == 0 && g_locks == 0; }, 10000))
            << "a test left objects or locks";
    }
    ComPtr<IDispatch> Create(const QString& text, HRESULT expect = S_OK) {
        ComPtr<IDispatch> object;
        EXPECT_EQ(
            bus::CreateRemoteInstance(m_client, kEndpoint, text, IID_IDispatch, object.OutVoid()),
            expect);
        return object;
    }
    static HRESULT Call(IDispatch* object, DISPID id, std::vector<VARIANTARG> args,
                        VARIANT* result = nullptr) {
        std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<uint32_t>(reversed.size()), 0};
        return object->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &params, result, nullptr, nullptr);
    }
    static VARIANTARG Ref(Variant& v) {
        VARIANTARG a;
        VariantInit(&a);
        a.vt = VT_BYREF | VT_VARIANT;
        a.pvarVal = v.Get();
        return a;
    }
    // CreateInstance as a bare call; the object's path, or "" on failure.
    static QString CreateRaw(QDBusConnection& c) {
        QDBusMessage m =
            QDBusMessage::createMethodCall(s_host->uniqueName, kEndpoint.factoryPath,
                                           kEndpoint.factoryInterface, "CreateInstance");
        m << QString("QxTest.Thing");
        QDBusMessage r = c.call(m, QDBus::Block, 10000);
        if (r.arguments().value(0).toInt() != S_OK)
            return {};
        return r.arguments().value(1).value<QDBusObjectPath>().path();
    }
    QDBusMessage Raw(const QString& path, const QString& itf, const QString& member,
                     const QVariantList& args) {
        QDBusMessage m = QDBusMessage::createMethodCall(s_host->uniqueName, path, itf, member);
        m.setArguments(args);
        return m_client.call(m, QDBus::Block, 10000);
    }

    static qxtest::PrivateBus* s_bus;
    static HostThread* s_host;
    QDBusConnection m_client{QString()};
};
qxtest::PrivateBus* BusHost::s_bus = nullptr;
HostThread* BusHost::s_host = nullptr;

}  // namespace

TEST_F(BusHost, CreatesByClsidOrProgIdAndReleases) {
    auto a = Create("{a1b2c3d4-0000-4000-8000-000000000001}");
    auto b = Create("A1B2C3D4-0000-4000-8000-000000000001");
    auto c = Create("qxtest.thing.1");
    EXPECT_TRUE(a && b && c);
    EXPECT_EQ(g_alive, 3);
    Create("QxTest.Nothing", REGDB_E_CLASSNOTREG);
    ComPtr<bus::IBusObject> info;
    ASSERT_EQ(a->QueryInterface(bus::IID_IBusObject, info.OutVoid()), S_OK);
    EXPECT_EQ(info->Service(), s_host->uniqueName) << "calls go to the server that made the object";
    ASSERT_NE(info->Interface(), nullptr);
    EXPECT_EQ(info->Interface()->name, "IThing");
    void* none = nullptr;
    EXPECT_EQ(a->QueryInterface(kIid, &none), E_NOINTERFACE) << "a proxy is late-bound only";

    QString path = info->Path();
    info.Reset();
    a.Reset();
    EXPECT_EQ(g_alive, 2) << "the last release reached the server";
    ComPtr<IDispatch> stale = ComPtr<IDispatch>::Attach(
        bus::CreateRemoteObject(m_client, s_host->uniqueName, path, kEndpoint));
    Variant v;
    EXPECT_EQ(Call(stale.Get(), 1, {*Variant(3).Get(), Ref(v)}), RPC_E_DISCONNECTED);
}

TEST_F(BusHost, AServerThatRevokedItsClassesSaysItIsStopping) {
    HostThread stopping(s_bus->Address(), true);
    stopping.start();
    stopping.WaitReady();
    if (stopping.uniqueName.isEmpty()) {
        stopping.quit();
        stopping.wait();
        FAIL() << "the second host did not start";
    }
    QDBusMessage m = QDBusMessage::createMethodCall(stopping.uniqueName, kEndpoint.factoryPath,
                                                    kEndpoint.factoryInterface, "CreateInstance");
    m << QString("QxTest.Thing");
    QDBusMessage r = m_client.call(m, QDBus::Block, 10000);
    EXPECT_EQ(static_cast<HRESULT>(r.arguments().value(0).toInt()), CO_E_SERVER_STOPPING)
        << "so that the client asks again and the bus starts a new server";
    stopping.quit();
    stopping.wait();
}

TEST_F(BusHost, VariantsTravelLosslessly) {
    auto object = Create("QxTest.Thing");
    ASSERT_TRUE(object);
    Variant v;
    ASSERT_EQ(Call(object.Get(), 1, {*Variant(0).Get(), Ref(v)}), S_OK);
    EXPECT_EQ(v->vt, VT_EMPTY);
    ASSERT_EQ(Call(object.Get(), 1, {*Variant(1).Get(), Ref(v)}), S_OK);
    EXPECT_EQ(v->vt, VT_I2);
    EXPECT_EQ(v->iVal, -5);
    ASSERT_EQ(Call(object.Get(), 1, {*Variant(2).Get(), Ref(v)}), S_OK);
    EXPECT_EQ(v->vt, VT_BOOL);
    EXPECT_EQ(v->boolVal, 1) << "a VT_BOOL holding 1 stays 1";
    ASSERT_EQ(Call(object.Get(), 1, {*Variant(3).Get(), Ref(v)}), S_OK);
    EXPECT_EQ(v->vt, VT_I4);
    EXPECT_EQ(v->lVal, 123456);
    ASSERT_EQ(Call(object.Get(), 1, {*Variant(4).Get(), Ref(v)}), S_OK);
    ASSERT_EQ(v->vt, VT_BSTR);
    ASSERT_EQ(SysStringLen(v->bstrVal), 4u) << "a packed text keeps its zeros";
    EXPECT_EQ(std::u16string(v->bstrVal, 4), std::u16string(u"ab\0\0", 4));
    ASSERT_EQ(Call(object.Get(), 1, {*Variant(6).Get(), Ref(v)}), S_OK);
    EXPECT_EQ(Utf8FromBstr(v->bstrVal), "Zürich \xF0\x9F\x96\xA8");
    EXPECT_EQ(Call(object.Get(), 1, {*Variant(5).Get(), Ref(v)}), DISP_E_TYPEMISMATCH)
        << "an interface cannot travel";
    EXPECT_EQ(v->vt, VT_EMPTY);
    EXPECT_EQ(Call(object.Get(), 1, {*Variant(99).Get(), Ref(v)}), E_INVALIDARG)
        << "the method's own failure";
}

TEST_F(BusHost, CarriesOutValuesRetvalsAndConvertsArguments) {
    auto object = Create("QxTest.Thing");
    int32_t n = 0;
    VARIANTARG count;
    VariantInit(&count);
    count.vt = VT_BYREF | VT_I4;
    count.plVal = &n;
    EXPECT_EQ(Call(object.Get(), 2, {count}), S_FALSE) << "S_FALSE comes back as it is";
    EXPECT_EQ(n, 42);

    Variant joined;
    EXPECT_EQ(Call(object.Get(), 3,
                   {*Variant(std::string_view("a")).Get(), *Variant(std::string_view("5")).Get()},
                   joined.Get()),
              S_OK)
        << "the retval goes to the result; the text \"5\" converts to long";
    EXPECT_EQ(Utf8FromBstr(joined->bstrVal), "a5");
    Variant joined2;
    EXPECT_EQ(Call(object.Get(), 3, {*Variant(7).Get(), *Variant(8).Get(), Ref(joined2)}), S_OK);
    EXPECT_EQ(Utf8FromBstr(joined2->bstrVal), "78");

    const char16_t zero[] = {u'a', 0, u'b'};
    Variant withZero = Variant::AdoptBstr(SysAllocStringLen(zero, 3));
    EXPECT_EQ(Call(object.Get(), 3, {*withZero.Get(), *Variant(1).Get(), Ref(joined2)}),
              E_INVALIDARG)
        << "a bus string holds no zero";
    EXPECT_EQ(Call(object.Get(), 3,
                   {*Variant(std::string_view("x")).Get(), *Variant(std::string_view("y")).Get()}),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Call(object.Get(), 3, {}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(object.Get(), 9, {}), DISP_E_MEMBERNOTFOUND);
    DISPID id = 0;
    const OLECHAR* names[] = {u"jOIN"};
    EXPECT_EQ(object->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 3);
}

TEST_F(BusHost, ObjectsOfAClientThatLeavesGoAfterTheGraceTime) {
    // Created with a bare call: a proxy would keep its connection open.
    QDBusConnection gone = s_bus->Connect();
    ASSERT_FALSE(CreateRaw(gone).isEmpty());
    EXPECT_EQ(g_alive, 1);
    s_bus->Disconnect(gone);  // as a crashed client would
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(WaitFor([] { return g_alive == 0; }, 10000));
    EXPECT_GE(t.elapsed(), 350) << "the object waits for another client first";
}

TEST_F(BusHost, AnotherClientCanTakeAnOrphanOverWithinTheGraceTime) {
    QDBusConnection first = s_bus->Connect();
    QString path = CreateRaw(first);
    ASSERT_FALSE(path.isEmpty());
    s_bus->Disconnect(first);  // as busctl does after each call
    auto adopted = ComPtr<IDispatch>::Attach(
        bus::CreateRemoteObject(m_client, s_host->uniqueName, path, kEndpoint));
    Variant v;
    EXPECT_EQ(Call(adopted.Get(), 1, {*Variant(3).Get(), Ref(v)}), S_OK);
    QThread::msleep(1000);
    EXPECT_EQ(g_alive, 1) << "the new caller holds it";
    adopted.Reset();
    EXPECT_EQ(g_alive, 0);
}

TEST_F(BusHost, LocksBelongToTheClientThatTookThem) {
    auto lock = [this](QDBusConnection& c, bool on) {
        QDBusMessage m = QDBusMessage::createMethodCall(s_host->uniqueName, kEndpoint.factoryPath,
                                                        kEndpoint.factoryInterface, "LockServer");
        m << on;
        return c.call(m, QDBus::Block, 10000).arguments().value(0).toInt();
    };
    QDBusConnection other = s_bus->Connect();
    EXPECT_EQ(lock(other, true), S_OK);
    EXPECT_EQ(lock(other, true), S_OK);
    EXPECT_EQ(g_locks, 2);
    EXPECT_EQ(lock(m_client, false), S_FALSE) << "nothing to give back";
    EXPECT_EQ(g_locks, 2);
    EXPECT_EQ(lock(other, false), S_OK);
    EXPECT_EQ(g_locks, 1);
    s_bus->Disconnect(other);
    EXPECT_TRUE(WaitFor([] { return g_locks == 0; }, 10000)) << "a client's locks end with it";
}

TEST_F(BusHost, MalformedCallsGetBusErrors) {
    QDBusMessage r = Raw(kEndpoint.factoryPath, kEndpoint.factoryInterface, "CreateInstance", {42});
    EXPECT_EQ(r.errorName(), "org.freedesktop.DBus.Error.InvalidArgs");
    r = Raw(kEndpoint.factoryPath, kEndpoint.factoryInterface, "Explode", {});
    EXPECT_EQ(r.errorName(), "org.freedesktop.DBus.Error.UnknownMethod");
    r = Raw(kEndpoint.factoryPath, "com.quorvia.Other", "CreateInstance", {QString("x")});
    EXPECT_EQ(r.errorName(), "org.freedesktop.DBus.Error.UnknownInterface");
    r = Raw(kEndpoint.ObjectsPath() + "/999", "com.quorvia.QxTest.IThing", "Count", {});
    EXPECT_EQ(r.errorName(), "org.freedesktop.DBus.Error.UnknownObject");
    r = Raw(kEndpoint.ObjectsPath() + "/notanumber", "com.quorvia.QxTest.IThing", "Count", {});
    EXPECT_EQ(r.errorName(), "org.freedesktop.DBus.Error.UnknownObject");

    r = Raw(kEndpoint.factoryPath, kEndpoint.factoryInterface, "CreateInstance",
            {QString("QxTest.Thing")});
    ASSERT_EQ(r.arguments().value(0).toInt(), S_OK);
    QString path = r.arguments().value(1).value<QDBusObjectPath>().path();
    r = Raw(path, "com.quorvia.QxTest.IThing", "Values", {QString("3")});
    EXPECT_EQ(r.errorName(), "org.freedesktop.DBus.Error.InvalidArgs");
    r = Raw(path, "com.quorvia.QxTest.IThing", "values", {3});
    EXPECT_EQ(r.errorName(), "org.freedesktop.DBus.Error.UnknownMethod")
        << "bus names keep their case";
    r = Raw(path, "com.quorvia.QxTest.Object", "Release", {1});
    EXPECT_EQ(r.errorName(), "org.freedesktop.DBus.Error.UnknownMethod");

    r = Raw(path, "org.freedesktop.DBus.Introspectable", "Introspect", {});
    QString xml = r.arguments().value(0).toString();
    EXPECT_TRUE(xml.contains("com.quorvia.QxTest.IThing")) << xml.toStdString();
    EXPECT_TRUE(xml.contains("com.quorvia.Automation.DispId"));
    EXPECT_TRUE(xml.contains("com.quorvia.QxTest.Object"));
    EXPECT_FALSE(xml.contains("ClassFactory"));
    r = Raw(kEndpoint.factoryPath, "org.freedesktop.DBus.Introspectable", "Introspect", {});
    EXPECT_TRUE(r.arguments().value(0).toString().contains("CreateInstance"));

    r = Raw(path, "com.quorvia.QxTest.Object", "Release", {});
    EXPECT_EQ(r.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(g_alive, 0);
}

TEST_F(BusHost, DecodingRejectsValuesThatAreNoVariant) {
    bus::RegisterWireTypes();
    auto echo = [this](const QVariant& arg) {
        return Raw("/echo", "com.quorvia.Echo", "Echo", {arg}).arguments().value(0);
    };
    auto crafted = [](ushort vt, const QVariant& value) {
        QDBusArgument a;
        a.beginStructure();
        a << vt << QDBusVariant(value);
        a.endStructure();
        return QVariant::fromValue(a);
    };
    Variant out;
    QString error;
    EXPECT_TRUE(bus::DecodeVariant(echo(crafted(VT_BOOL, QVariant::fromValue(short(1)))), out.Get(),
                                   &error));
    EXPECT_EQ(out->vt, VT_BOOL);
    EXPECT_EQ(out->boolVal, 1);
    EXPECT_FALSE(bus::DecodeVariant(echo(crafted(VT_I4, QString("12"))), out.Get(), &error));
    EXPECT_TRUE(error.contains("needs a value of type i")) << error.toStdString();
    EXPECT_EQ(out->vt, VT_EMPTY);
    EXPECT_FALSE(bus::DecodeVariant(echo(crafted(VT_DISPATCH, QVariant::fromValue(uchar(0)))),
                                    out.Get(), &error));
    EXPECT_FALSE(
        bus::DecodeVariant(echo(crafted(300, QVariant::fromValue(uchar(0)))), out.Get(), &error));
    EXPECT_FALSE(bus::DecodeVariant(echo(QVariant::fromValue(7)), out.Get(), &error));
    EXPECT_FALSE(bus::DecodeVariant(echo(crafted(VT_BSTR, QVariant::fromValue(QList<uint>{1, 2}))),
                                    out.Get(), &error));

    // Every type that travels comes back as it went.
    for (VARTYPE vt : {VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_BOOL, VT_ERROR, VT_INT}) {
        Variant in = Variant::Of(vt, vt == VT_BOOL ? 1 : -7);
        QVariant encoded;
        ASSERT_TRUE(bus::EncodeVariant(*in.Get(), encoded));
        ASSERT_TRUE(bus::DecodeVariant(echo(encoded), out.Get(), &error)) << error.toStdString();
        EXPECT_EQ(out->vt, vt);
        if (vt != VT_EMPTY && vt != VT_NULL) {
            EXPECT_EQ(vt == VT_I2 || vt == VT_BOOL ? out->iVal : out->lVal, vt == VT_BOOL ? 1 : -7);
        }
    }
    const char16_t units[] = {0xD800, 0, u'x'};  // an unpaired surrogate and a zero
    Variant text = Variant::AdoptBstr(SysAllocStringLen(units, 3));
    QVariant encoded;
    ASSERT_TRUE(bus::EncodeVariant(*text.Get(), encoded));
    ASSERT_TRUE(bus::DecodeVariant(echo(encoded), out.Get(), &error));
    ASSERT_EQ(SysStringLen(out->bstrVal), 3u);
    EXPECT_EQ(std::u16string(out->bstrVal, 3), std::u16string(units, 3))
        << "the code units exactly";
}

TEST(BusErrors, ActivationAndCallsMapBusErrorsToResults) {
    using bus::BusOperation;
    EXPECT_EQ(bus::HResultFromBusError("org.freedesktop.DBus.Error.ServiceUnknown",
                                       BusOperation::Activation),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(
        bus::HResultFromBusError("org.freedesktop.DBus.Error.ServiceUnknown", BusOperation::Call),
        RPC_E_SERVER_DIED);
    EXPECT_EQ(bus::HResultFromBusError("org.freedesktop.DBus.Error.Spawn.ChildExited",
                                       BusOperation::Activation),
              CO_E_SERVER_EXEC_FAILURE);
    EXPECT_EQ(
        bus::HResultFromBusError("org.freedesktop.DBus.Error.UnknownObject", BusOperation::Call),
        RPC_E_DISCONNECTED);
    EXPECT_EQ(bus::HResultFromBusError("com.example.Whatever", BusOperation::Call), E_FAIL);
}

TEST_F(BusHost, CallsWaitWhileAModalDialogRunsAndComeInOrderAfter) {
    const QString path = CreateRaw(m_client);
    ASSERT_FALSE(path.isEmpty());
    bus::LocalServerHost* host = s_host->host;
    ASSERT_NE(host, nullptr);

    // The host's thread runs a "dialog": a nested event loop inside a modal
    // scope, which would otherwise hand the calls to the object.
    std::atomic<bool> inDialog{false}, dialogOver{false};
    std::atomic<size_t> heldDuring{0};
    QSemaphore closeDialog;
    QMetaObject::invokeMethod(host, [&, host] {
        bus::ModalScope scope;
        inDialog = true;
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (closeDialog.tryAcquire()) {
                heldDuring = host->HeldBackCount();
                loop.quit();
            }
        });
        poll.start(5);
        loop.exec();
        dialogOver = true;
    });
    ASSERT_TRUE(WaitFor([&] { return inDialog.load(); }, 10000));

    auto send = [&](const QString& text, int n) {
        QDBusMessage m = QDBusMessage::createMethodCall(s_host->uniqueName, path,
                                                        "com.quorvia.QxTest.IThing", "Join");
        m << text << n;
        return m_client.asyncCall(m, 10000);
    };
    QDBusPendingCall first = send("a", 1);
    QDBusPendingCall second = send("b", 2);
    QThread::msleep(300);  // time enough for the nested loop to have run them
    EXPECT_FALSE(first.isFinished()) << "a call ran inside the dialog";
    closeDialog.release();
    first.waitForFinished();
    second.waitForFinished();
    EXPECT_TRUE(dialogOver.load());
    EXPECT_EQ(heldDuring.load(), 2u);
    EXPECT_EQ(host->HeldBackCount(), 0u);
    ASSERT_FALSE(first.isError()) << first.error().message().toStdString();
    ASSERT_FALSE(second.isError()) << second.error().message().toStdString();
    auto joined = [](const QDBusPendingCall& call) {
        bus::WireVariant v = qdbus_cast<bus::WireVariant>(call.reply().arguments().value(1));
        return v.value->vt == VT_BSTR ? Utf8FromBstr(v.value->bstrVal) : std::string("?");
    };
    EXPECT_EQ(joined(first), "a1");
    EXPECT_EQ(joined(second), "b2");
    Raw(path, kEndpoint.objectInterface, "Release", {});
}
