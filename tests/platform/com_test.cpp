// The object runtime's value types and in-process activation.

#include <gtest/gtest.h>

#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/Guid.h"
#include "platform/com/Variant.h"
#include "platform/registry/RegistryKey.h"
#include "support/TempRegistry.h"

using namespace qx;

TEST(Guid, ParsesAndPrintsTheRegistryForm) {
    constexpr GUID clsid = MakeGuid("2E09E4B8-245E-4ebc-817A-F708207473B7");
    auto parsed = GUID::Parse("{2e09e4b8-245e-4EBC-817a-f708207473b7}");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, clsid);
    EXPECT_EQ(clsid.ToString(), "{2E09E4B8-245E-4EBC-817A-F708207473B7}");
    EXPECT_EQ(GUID::Parse("2E09E4B8-245E-4ebc-817A-F708207473B7"), clsid);
    for (const char* bad :
         {"", "{2E09E4B8-245E-4ebc-817A-F708207473B}", "{2E09E4B8-245E-4ebc-817A_F708207473B7}",
          "{2E09E4B8-245E-4ebc-817A-F708207473BG}", "KORVALENMISvr.DseTendraKORVALEN"})
        EXPECT_FALSE(GUID::Parse(bad)) << bad;
}

TEST(Bstr, KeepsLengthAndEmbeddedZeros) {
    const char16_t packed[] = {u'a', 0, u'b', 0, 0};
    BSTR s = SysAllocStringLen(packed, 4);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 4u);
    EXPECT_EQ(SysStringByteLen(s), 8u);
    EXPECT_EQ(s[4], 0) << "a zero follows the last character";
    EXPECT_EQ(Utf8FromBstr(s), std::string("a\0b\0", 4));
    SysFreeString(s);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);

    Bstr text("Drucker Zürich €");
    EXPECT_EQ(text.Length(), 16u);
    EXPECT_EQ(text.Utf8(), "Drucker Zürich €");
    EXPECT_EQ(Utf8FromUtf16(Utf16FromUtf8("\xF0\x9F\x96\xA8")), "\xF0\x9F\x96\xA8")
        << "a surrogate pair";
    EXPECT_EQ(Utf16FromUtf8("a\xFF"
                            "b"),
              u"a\uFFFD"
              "b")
        << "invalid bytes become U+FFFD";
    EXPECT_EQ(Utf16FromUtf8("\xC0\x80"), u"\uFFFD\uFFFD") << "overlong forms are not text";
}

namespace {

// Counts its references; deletes itself at zero.
class Counted : public IUnknown {
  public:
    explicit Counted(int* alive) : m_alive(alive) { ++*m_alive; }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown)
            return E_NOINTERFACE;
        AddRef();
        *ppv = this;
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0) {
            --*m_alive;
            delete this;
        }
        return n;
    }

  private:
    virtual ~Counted() = default;
    int* m_alive;
    ULONG m_refs = 1;
};

class Factory : public IClassFactory {
  public:
    explicit Factory(int* alive) : m_alive(alive) {}
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override { return --m_refs; }
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* obj = new Counted(m_alive);
        HRESULT hr = obj->QueryInterface(riid, ppv);
        obj->Release();
        return hr;
    }
    HRESULT LockServer(bool) override { return S_OK; }
    ULONG m_refs = 1;

  private:
    int* m_alive;
};

}  // namespace

TEST(Variant, CopyAndClearOwnTheirValues) {
    int alive = 0;
    VARIANT a, b;
    VariantInit(&a);
    VariantInit(&b);
    a.vt = VT_UNKNOWN;
    a.punkVal = new Counted(&alive);
    ASSERT_EQ(VariantCopy(&b, &a), S_OK);
    VariantClear(&a);
    EXPECT_EQ(alive, 1) << "the copy holds its own reference";
    VariantClear(&b);
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(b.vt, VT_EMPTY);

    Variant text("abc");
    Variant copy = text;
    EXPECT_NE(copy->bstrVal, text->bstrVal) << "a deep copy";
    EXPECT_EQ(Utf8FromBstr(copy->bstrVal), "abc");
    Variant flag;
    flag->vt = VT_BOOL;
    flag->boolVal = 1;  // a VT_BOOL holding 1 stays 1
    Variant flagCopy = flag;
    EXPECT_EQ(flagCopy->boolVal, 1);
}

TEST(ComRuntime, CreatesInprocClassesOnInitialisedThreads) {
    constexpr CLSID clsid = MakeGuid("11111111-2222-3333-4444-555555555555");
    int alive = 0;
    Factory factory(&alive);
    ASSERT_EQ(RegisterInprocClass(clsid, &factory), S_OK);

    ComPtr<IUnknown> obj;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, obj.OutVoid()),
              CO_E_NOTINITIALIZED);
    ASSERT_EQ(CoInitialize(), S_OK);
    EXPECT_EQ(CoInitialize(), S_FALSE);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, obj.OutVoid()),
              S_OK);
    EXPECT_EQ(alive, 1);
    obj.Reset();
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, obj.OutVoid()),
              E_NOINTERFACE);
    EXPECT_EQ(CoCreateInstance(MakeGuid("99999999-2222-3333-4444-555555555555"), nullptr,
                               CLSCTX_ALL, IID_IUnknown, obj.OutVoid()),
              REGDB_E_CLASSNOTREG);
    RevokeInprocClass(clsid);
    EXPECT_EQ(factory.m_refs, 1u) << "revoking gives the registry's reference back";
    CoUninitialize();
    CoUninitialize();
}

TEST(ComRuntime, FindsClassesByProgIdInTheClassesRoot) {
    qxtest::TempRegistry registry;
    using qx::reg::Hive;
    qx::reg::Key key;
    qx::reg::Key::Create(Hive::ClassesRoot, "Qx.Thing.1\\CLSID", key);
    key.SetString("", "{2E09E4B8-245E-4ebc-817A-F708207473B7}");
    qx::reg::Key::Create(Hive::ClassesRoot, "Qx.Thing\\CLSID", key);
    key.SetString("", "{11111111-2222-3333-4444-555555555555}");
    qx::reg::Key::Create(Hive::ClassesRoot, "Qx.Thing\\CurVer", key);
    key.SetString("", "Qx.Thing.1");
    qx::reg::Key::Create(Hive::ClassesRoot, "Qx.Loop\\CurVer", key);
    key.SetString("", "Qx.Loop2");
    qx::reg::Key::Create(Hive::ClassesRoot, "Qx.Loop2\\CurVer", key);
    key.SetString("", "Qx.Loop");
    qx::reg::Key::Create(Hive::ClassesRoot, "Qx.Bad\\CLSID", key);
    key.SetString("", "not a guid");

    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID("qx.thing", &clsid), S_OK);
    EXPECT_EQ(clsid, MakeGuid("2E09E4B8-245E-4ebc-817A-F708207473B7"))
        << "CurVer names the current version";
    ASSERT_EQ(CLSIDFromProgID("Qx.Thing.1", &clsid), S_OK);
    EXPECT_EQ(CLSIDFromProgID("Qx.Loop", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID("Qx.Bad", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID("Qx.Missing", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromProgID("", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString("{2e09e4b8-245e-4ebc-817a-f708207473b7}", &clsid), S_OK);
    EXPECT_EQ(CLSIDFromString("2e09e4b8-245e-4ebc-817a-f708207473b7", &clsid), CO_E_CLASSSTRING)
        << "braces needed";

    ASSERT_EQ(CoInitialize(), S_OK);
    ComPtr<IUnknown> obj;
    EXPECT_EQ(CreateObject("Qx.Missing", CLSCTX_ALL, IID_IUnknown, obj.OutVoid()),
              CO_E_CLASSSTRING);
    EXPECT_EQ(CreateObject("Qx.Thing", CLSCTX_INPROC_SERVER, IID_IUnknown, obj.OutVoid()),
              REGDB_E_CLASSNOTREG);
    CoUninitialize();
}

TEST(Variant, ChangeTypeConvertsAsLateBoundCallersExpect) {
    Variant out;
    EXPECT_EQ(VariantChangeType(out.Get(), Variant(std::string_view(" -42 ")).Get(), 0, VT_I4),
              S_OK);
    EXPECT_EQ(out->vt, VT_I4);
    EXPECT_EQ(out->lVal, -42);
    EXPECT_EQ(VariantChangeType(out.Get(), Variant(std::string_view("40000")).Get(), 0, VT_I2),
              DISP_E_OVERFLOW);
    EXPECT_EQ(out->lVal, -42) << "left alone on failure";
    EXPECT_EQ(VariantChangeType(out.Get(), Variant(std::string_view("4x")).Get(), 0, VT_I4),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(
        VariantChangeType(out.Get(), Variant(std::string_view("99999999999")).Get(), 0, VT_I4),
        DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(out.Get(), Variant(7).Get(), 0, VT_BSTR), S_OK);
    EXPECT_EQ(Utf8FromBstr(out->bstrVal), "7");
    EXPECT_EQ(VariantChangeType(out.Get(), Variant(std::string_view("TRUE")).Get(), 0, VT_BOOL),
              S_OK);
    EXPECT_EQ(out->boolVal, VARIANT_TRUE);
    EXPECT_EQ(VariantChangeType(out.Get(), Variant::Of(VT_BOOL, 1).Get(), 0, VT_BOOL), S_OK);
    EXPECT_EQ(out->boolVal, 1) << "a VT_BOOL keeps what it stores";
    EXPECT_EQ(VariantChangeType(out.Get(), Variant(5).Get(), 0, VT_BOOL), S_OK);
    EXPECT_EQ(out->boolVal, VARIANT_TRUE);
    EXPECT_EQ(VariantChangeType(out.Get(), Variant().Get(), 0, VT_I4), S_OK);
    EXPECT_EQ(out->lVal, 0);

    int32_t n = 12;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4;
    ref.plVal = &n;
    EXPECT_EQ(VariantChangeType(out.Get(), &ref, 0, VT_BSTR), S_OK) << "read through a reference";
    EXPECT_EQ(Utf8FromBstr(out->bstrVal), "12");
    Variant self(std::string_view("15"));
    EXPECT_EQ(VariantChangeType(self.Get(), self.Get(), 0, VT_I4), S_OK) << "in place";
    EXPECT_EQ(self->lVal, 15);
    ref.vt = VT_BYREF | VT_UNKNOWN;
    EXPECT_EQ(VariantChangeType(out.Get(), &ref, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_STREQ(HResultName(E_NOTIMPL), "E_NOTIMPL");
    EXPECT_EQ(HResultName(0x12345678), nullptr);
    EXPECT_EQ(VarTypeName(VT_BYREF | VT_VARIANT), "VT_BYREF|VT_VARIANT");
}
