// The three classes: their interfaces and identity rules, aggregation, the
// server lock each object holds, and the type library they are described by.

#include <gtest/gtest.h>

#include <QString>

#include "automation/CDsePrinterConfigKORVALEN.h"
#include "automation/CDseTendraKORVALEN.h"
#include "automation/CDseTendraOrven.h"
#include "automation/DiscoveryDialogs.h"
#include "automation/TypeLibrary.h"
#include "platform/bus/TypeLibraryXml.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ServerModule.h"

using namespace qx;

namespace {

// An aggregating object that only counts its references.
class Outer : public IUnknown {
  public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        ++queries;
        if (riid != IID_IUnknown)
            return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    IUnknown* inner = nullptr;
    ULONG refs = 1;
    int queries = 0;
};

template <class C>
void CheckIdentity(REFIID own) {
    int32_t locks = TheServerModule().LockCount();
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(C::CreateInstance(nullptr, IID_IUnknown, unknown.OutVoid()), S_OK);
    EXPECT_EQ(TheServerModule().LockCount(), locks + 1) << "a live object holds the server";

    ComPtr<IDispatch> dispatch, typed;
    ComPtr<ISupportErrorInfo> errorInfo;
    ComPtr<IUnknown> again;
    EXPECT_EQ(unknown->QueryInterface(IID_IDispatch, dispatch.OutVoid()), S_OK);
    EXPECT_EQ(unknown->QueryInterface(own, typed.OutVoid()), S_OK);
    EXPECT_EQ(typed.Get(), dispatch.Get()) << "the dual interface is the IDispatch";
    ASSERT_EQ(dispatch->QueryInterface(IID_ISupportErrorInfo, errorInfo.OutVoid()), S_OK);
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(own), S_OK);
    EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    EXPECT_EQ(errorInfo->QueryInterface(IID_IUnknown, again.OutVoid()), S_OK);
    EXPECT_EQ(again.Get(), unknown.Get()) << "one identity";
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(unknown->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    unknown.Reset();
    dispatch.Reset();
    typed.Reset();
    errorInfo.Reset();
    again.Reset();
    EXPECT_EQ(TheServerModule().LockCount(), locks) << "the last release gives the lock back";
}

// Calls a method by name with the arguments given (first argument first).
HRESULT CallByName(IDispatch* object, const char16_t* name, std::vector<VARIANTARG> args,
                   VARIANT* result = nullptr) {
    DISPID id = 0;
    const OLECHAR* names[] = {name};
    HRESULT hr = object->GetIDsOfNames(GUID_NULL, names, 1, 0, &id);
    if (FAILED(hr))
        return hr;
    std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<uint32_t>(reversed.size()), 0};
    return object->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &params, result, nullptr, nullptr);
}

}  // namespace

TEST(AutomationObjects, AnswerForTheirInterfaceIDispatchAndErrorInfo) {
    CheckIdentity<CDseTendraKORVALEN>(IID_IDseTendraKORVALEN);
    CheckIdentity<CDseTendraOrven>(IID_IDseTendraOrven);
    CheckIdentity<CDsePrinterConfigKORVALEN>(IID_IDsePrinterConfigKORVALEN);
}

TEST(AutomationObjects, CanBeAggregated) {
    Outer outer;
    ComPtr<IUnknown> inner;
    void* p = nullptr;
    EXPECT_EQ(CDseTendraOrven::CreateInstance(&outer, IID_IDispatch, &p), CLASS_E_NOAGGREGATION)
        << "an aggregating object asks for IUnknown";
    ASSERT_EQ(CDseTendraOrven::CreateInstance(&outer, IID_IUnknown, inner.OutVoid()), S_OK);
    outer.inner = inner.Get();
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(inner->QueryInterface(IID_IDispatch, dispatch.OutVoid()), S_OK);
    ULONG outerRefs = outer.refs;
    dispatch->AddRef();
    EXPECT_EQ(outer.refs, outerRefs + 1)
        << "references on the inner interfaces go to the outer object";
    dispatch->Release();
    ComPtr<IUnknown> identity;
    int queries = outer.queries;
    ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, identity.OutVoid()), S_OK);
    EXPECT_EQ(identity.Get(), &outer);
    EXPECT_GT(outer.queries, queries);
    identity.Reset();
    dispatch.Reset();
    int32_t locks = TheServerModule().LockCount();
    outer.inner = nullptr;
    inner.Reset();
    EXPECT_EQ(TheServerModule().LockCount(), locks - 1);
}

TEST(AutomationObjects, EveryMethodAnswersNotImplementedUntilItIsBuilt) {
    ComPtr<IDispatch> config;
    ASSERT_EQ(CDsePrinterConfigKORVALEN::CreateInstance(nullptr, IID_IDispatch, config.OutVoid()),
              S_OK);
    Variant out;
    VARIANTARG ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_VARIANT;
    ref.pvarVal = out.Get();
    EXPECT_EQ(CallByName(config.Get(), u"getmodel", {ref}), E_NOTIMPL)
        << "names are found without regard to case";
    EXPECT_EQ(out->vt, VT_EMPTY);
    EXPECT_EQ(
        CallByName(config.Get(), u"GetMediaType", {*Variant(std::string_view("14")).Get(), ref}),
        E_NOTIMPL)
        << "a text argument is converted to the long parameter";
    EXPECT_EQ(
        CallByName(config.Get(), u"GetMediaType", {*Variant(std::string_view("x")).Get(), ref}),
        DISP_E_TYPEMISMATCH);
    EXPECT_EQ(CallByName(config.Get(), u"GetMediaType", {*Variant(3).Get()}), DISP_E_BADPARAMCOUNT)
        << "only a retval may be left out";
    Variant result;
    EXPECT_EQ(CallByName(config.Get(), u"GetUserNameS", {}, result.Get()), E_NOTIMPL)
        << "the retval may be left to the result";
    EXPECT_EQ(CallByName(config.Get(), u"NoSuchMethod", {}), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(CallByName(config.Get(), u"GetModel", {*Variant(7).Get()}), DISP_E_TYPEMISMATCH)
        << "a VARIANT* needs a reference";

    ComPtr<IDispatch> tendra;
    ASSERT_EQ(CDseTendraKORVALEN::CreateInstance(nullptr, IID_IDispatch, tendra.OutVoid()), S_OK);
    int32_t cancel = 5;
    VARIANTARG cancelRef;
    VariantInit(&cancelRef);
    cancelRef.vt = VT_BYREF | VT_INT;
    cancelRef.pintVal = &cancel;
    SetDiscoveryDialogsForTesting({}, [](int, int) { return IDCANCEL; });
    EXPECT_EQ(CallByName(tendra.Get(), u"DoNetworkDiscoveryKORVALEN", {cancelRef}), S_OK);
    SetDiscoveryDialogsForTesting({}, {});
    EXPECT_EQ(cancel, 1) << "written through the reference";
    EXPECT_EQ(CallByName(tendra.Get(), u"SubmitDocument",
                         {*Variant(std::string_view("")).Get(),
                          *Variant(std::string_view("1")).Get(), *Variant(1).Get()}),
              E_INVALIDARG);
}

namespace {

template <class C, class Itf>
void CheckAgainstTypeLibrary(const std::vector<InterfaceInfo>& library, REFIID iid) {
    const InterfaceInfo* itf = nullptr;
    for (const auto& i : library)
        if (i.iid == iid)
            itf = &i;
    ASSERT_NE(itf, nullptr);
    EXPECT_EQ(itf->busName, "com.quorvia.KORVALENMISvr." + itf->name);
    EXPECT_EQ(itf->help, itf->name + " Interface");
    ASSERT_EQ(itf->methods.size(), std::size(C::kDispatchTable));
    for (size_t i = 0; i < itf->methods.size(); ++i) {
        const auto& m = itf->methods[i];
        EXPECT_EQ(m.name, C::kDispatchTable[i].name) << "slot order";
        EXPECT_EQ(m.dispid, C::kDispatchTable[i].dispid) << m.name;
        EXPECT_EQ(m.dispid, static_cast<DISPID>(i + 1)) << m.name;
        EXPECT_EQ(m.help, "method " + m.name);
        bool retval = !m.params.empty() && m.params.back().flags == ParamFlags::OutRetval;
        EXPECT_EQ(retval, C::kDispatchTable[i].hasRetval) << m.name;
    }
}

}  // namespace

TEST(TypeLibrary, DescribesTheClassesAsTheirDispatchTablesServeThem) {
    std::vector<InterfaceInfo> library;
    QString error;
    ASSERT_TRUE(bus::ParseTypeLibrary(TypeLibraryXml(), library, &error)) << error.toStdString();
    ASSERT_EQ(library.size(), 3u) << "the factory and Release are no automation interfaces";
    CheckAgainstTypeLibrary<CDseTendraKORVALEN, IDseTendraKORVALEN>(library,
                                                                    IID_IDseTendraKORVALEN);
    CheckAgainstTypeLibrary<CDseTendraOrven, IDseTendraOrven>(library, IID_IDseTendraOrven);
    CheckAgainstTypeLibrary<CDsePrinterConfigKORVALEN, IDsePrinterConfigKORVALEN>(
        library, IID_IDsePrinterConfigKORVALEN);

    const InterfaceInfo& config =
        library[1].iid == IID_IDsePrinterConfigKORVALEN ? library[1] : library[2];
    const MethodInfo* init = config.FindMethod("InitPrinter");
    ASSERT_NE(init, nullptr);
    std::vector<std::string> names;
    for (const auto& p : init->params)
        names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"bstrPrinterName", "instance", "PrinterFamily",
                                               "bstrEventName", "bstrPortName", "bstrServerName",
                                               "dwAttribute"}));
    EXPECT_EQ(bus::InSignature(*init), "siisssi");
    const MethodInfo* model = config.FindMethod("GetModel");
    ASSERT_EQ(model->params.size(), 1u);
    EXPECT_EQ(model->params[0].flags, ParamFlags::None)
        << "no direction attribute, written all the same";
    EXPECT_EQ(bus::ReplySignature(*model), "i(qv)");
    EXPECT_EQ(config.FindMethod("GetFinisherType")->params[0].flags, ParamFlags::Out);
    EXPECT_EQ(config.FindMethod("GetUserNameS")->params[0].flags, ParamFlags::OutRetval);
}
