// The local management component behind CLSID_mgt: created in process,
// called directly and by DISPID, reading a simulated tandem device through
// the installed mapping files.

#include <gtest/gtest.h>

#include "model/Imgt.h"
#include "model/MIBMappingTable.h"
#include "model/MgtComponent.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/system/ProgramPath.h"
#include "support/PrivateNetwork.h"
#include "support/SimulatedDevice.h"
#include "support/TempRegistry.h"
#include "support/TestData.h"

QX_TEST_USES_PRIVATE_NETWORK();

using namespace qx;

namespace {

class MgtComponentTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!qxtest::InPrivateNetwork())
            return;
        std::string profile =
            qxtest::ReadTextFile(qxtest::TestDataPath("model", "korvalen.snmprec"));
        s_device = new qxtest::SimulatedDevice("127.0.0.2", profile);
        // The same device with a binary MAC address and a location of 0xFF
        // filler bytes.
        for (auto [from, to] :
             {std::pair<std::string, std::string>{"|4|00004A123456", "|4x|00004a1234ff"},
              {"|4|Second floor, room 2.14", "|4x|ffffffffffffffff"}})
            profile.replace(profile.find(from), from.size(), to);
        s_binary = new qxtest::SimulatedDevice("127.0.0.4", profile);
        s_started = qxtest::SimulatedDevice::StartAll({s_device, s_binary}, s_error);
    }
    static void TearDownTestSuite() {
        delete s_device;
        delete s_binary;
        s_device = s_binary = nullptr;
    }

    void SetUp() override {
        QX_REQUIRE_PRIVATE_NETWORK();
        ASSERT_TRUE(s_started) << s_error;
        ASSERT_EQ(RegisterMgtComponent(), S_OK);
        CoInitialize();
        ASSERT_EQ(
            CoCreateInstance(CLSID_mgt, nullptr, CLSCTX_INPROC_SERVER, IID_Imgt, mgt.OutVoid()),
            S_OK);
    }
    void TearDown() override {
        mgt.Reset();
        CoUninitialize();
    }

    // As the summary table does when its device address is set.
    void SetAddress(int32_t handle, const char* address) {
        EXPECT_EQ(mgt->SelectDevice(0, handle), S_OK);
        Variant text(address);
        EXPECT_EQ(mgt->setElement(EID_DEVICEADDRESS, handle, text.Get()), S_OK);
    }
    std::string Text(int32_t id, int32_t index) { return Utf8FromUtf16(Units(id, index)); }
    std::u16string Units(int32_t id, int32_t index) {
        Variant v;
        EXPECT_EQ(mgt->getElement(id, index, v.Get()), S_OK) << id;
        EXPECT_EQ(v->vt, VT_BSTR) << id;
        return v->vt == VT_BSTR ? std::u16string(v->bstrVal, SysStringLen(v->bstrVal))
                                : std::u16string();
    }
    int32_t Number(int32_t id, int32_t index) {
        Variant v;
        EXPECT_EQ(mgt->getElement(id, index, v.Get()), S_OK) << id;
        EXPECT_EQ(v->vt, VT_I4) << id;
        return v->lVal;
    }
    int32_t Rows(int32_t id) {
        int32_t count = -1;
        EXPECT_EQ(mgt->getRowCount(id, &count), S_OK) << id;
        return count;
    }

    static inline qxtest::SimulatedDevice *s_device = nullptr, *s_binary = nullptr;
    static inline bool s_started = false;
    static inline std::string s_error;

    ComPtr<Imgt> mgt;
};

// Invoke's arguments, given first to last.
struct Args {
    explicit Args(std::vector<VARIANT> given) : values(given.rbegin(), given.rend()) {}
    DISPPARAMS* Params() {
        params = {values.data(), nullptr, static_cast<uint32_t>(values.size()), 0};
        return &params;
    }
    std::vector<VARIANT> values;
    DISPPARAMS params{};
};

VARIANT I4(int32_t v) {
    return *Variant(v).Get();
}
VARIANT ByRef(VARTYPE vt, void* ref) {
    VARIANT x;
    VariantInit(&x);
    x.vt = VT_BYREF | vt;
    x.byref = ref;
    return x;
}

}  // namespace

TEST_F(MgtComponentTest, ReadsTheSelectedDeviceAndItsTandemPartner) {
    SetAddress(0, "127.0.0.2");
    EXPECT_EQ(Text(EID_DEVICEADDRESS, 0), "127.0.0.2");
    EXPECT_EQ(Number(EID_ODRATANDEMSTATE, 1), 3) << "isTandem";
    EXPECT_EQ(Text(EID_ODRAGENERALNETCARDMACADDRESS, 1), "00004A123456");
    EXPECT_EQ(Text(EID_ODRAGENERALQXNAME, 0), "Korvalen 5070") << "a column indexed by device only";
    EXPECT_EQ(Text(EID_ODRAGENERALDPLOCATION, 1), "Second floor, room 2.14");
    EXPECT_EQ(Number(EID_ODRAGENERALQXPEDESTALSETUP, 1), 4);
    EXPECT_EQ(Number(EID_ODRAINPUTLOCATION, 2), 15) << "tray 2";
    EXPECT_EQ(Text(EID_PRTALERTDESCRIPTION, 1), "(1A2B) Paper jam in the finisher");
    EXPECT_EQ(Units(EID_HRPRINTERDETECTEDERRORSTATE, 0), std::u16string(u"\u0080\0", 2))
        << "the bytes 80 00 are no text: one character per byte";

    // The partner: unit 1 of the selected device.
    EXPECT_EQ(mgt->SelectDevice(1, 1), S_OK);
    EXPECT_EQ(Text(EID_ODRAGENERALQXNAME, 0), "");
    EXPECT_EQ(Text(EID_ODRAGENERALQXMODEL, 0), "KX-5070");
    EXPECT_EQ(Number(EID_ODRAGENERALQXPEDESTALSETUP, 1), 3);
    EXPECT_EQ(Number(EID_HRPRINTERSTATUS, 0), 4);

    // Back to the device itself.
    EXPECT_EQ(mgt->SelectDevice(0, 0), S_OK);
    EXPECT_EQ(Text(EID_ODRAGENERALQXMODEL, 0), "kx-5070");
}

TEST_F(MgtComponentTest, HandsBytesThatAreNoTextBackAsTheirBytes) {
    SetAddress(0, "127.0.0.4");
    EXPECT_EQ(Units(EID_ODRAGENERALNETCARDMACADDRESS, 1),
              std::u16string(u"\0\0\u004A\u0012\u0034\u00FF", 6))
        << "a binary MAC address, byte for byte";
    EXPECT_EQ(Units(EID_ODRAGENERALDPLOCATION, 1), std::u16string(8, u'\u00FF'))
        << "0xFF filler, not U+FFFD";
    EXPECT_EQ(Text(EID_ODRAGENERALQXNAME, 0), "Korvalen 5070") << "text stays text";
}

TEST_F(MgtComponentTest, CountsTheRowsOfTheSelectedUnit) {
    SetAddress(0, "127.0.0.2");
    EXPECT_EQ(Rows(EID_ODRAALERTCODE), 3);
    EXPECT_EQ(Rows(EID_ODRAINPUTLOCATION), 2);
    EXPECT_EQ(Rows(EID_HRDEVICEDESCR), 1) << "one instance per device";
    EXPECT_EQ(Rows(EID_PRTOUTPUTNAME), 2);
    mgt->SelectDevice(1, 1);
    EXPECT_EQ(Rows(EID_ODRAALERTCODE), 1);
    EXPECT_EQ(Rows(EID_PRTOUTPUTNAME), 1);
    EXPECT_EQ(Rows(EID_PRTALERTCODE), 0) << "the partner has no alert rows";
    int32_t count = 7;
    EXPECT_EQ(mgt->getRowCount(4242, &count), E_FAIL) << "not in the mapping files";
    EXPECT_EQ(count, 0);
}

TEST_F(MgtComponentTest, FailsWithoutDeviceElementOrAnswer) {
    // A failed call leaves the caller's value alone.
    Variant v("the caller's");
    auto fails = [&](int32_t id, int32_t index) {
        return mgt->getElement(id, index, v.Get()) == E_FAIL && v->vt == VT_BSTR &&
               Utf8FromBstr(v->bstrVal) == "the caller's";
    };
    EXPECT_TRUE(fails(EID_ODRAGENERALQXNAME, 0)) << "no device selected yet";
    EXPECT_TRUE(fails(EID_DEVICEADDRESS, 0)) << "no address for handle 0";
    SetAddress(0, "127.0.0.2");
    EXPECT_TRUE(fails(4242, 0)) << "not in the mapping files";
    EXPECT_TRUE(fails(EID_ODRAINPUTLOCATION, 9)) << "no such tray";
    EXPECT_EQ(mgt->getElement(EID_ODRAGENERALQXNAME, 0, nullptr), E_POINTER);

    SetAddress(3, "0000000A:00004A123456");  // an IPX device: no transport here
    EXPECT_TRUE(fails(EID_ODRAGENERALQXNAME, 0));
    EXPECT_EQ(Text(EID_DEVICEADDRESS, 3), "0000000A:00004A123456");
    EXPECT_EQ(Text(EID_DEVICEADDRESS, 0), "127.0.0.2") << "devices are kept by handle";

    EXPECT_EQ(mgt->SelectDevice(5, -1), S_OK) << "discovery stops";
    EXPECT_TRUE(fails(EID_ODRAGENERALQXNAME, 0));
    EXPECT_EQ(mgt->SelectDevice(2, 0), E_INVALIDARG);

    Variant number(int32_t{5}), empty;
    EXPECT_EQ(mgt->setElement(EID_DEVICEADDRESS, 0, number.Get()), E_INVALIDARG);
    EXPECT_EQ(mgt->setElement(EID_ODRAGENERALQXNAME, 0, number.Get()), E_NOTIMPL)
        << "devices are only read";
    EXPECT_EQ(mgt->setElement(EID_DEVICEADDRESS, 0, empty.Get()), S_OK);
    EXPECT_TRUE(fails(EID_DEVICEADDRESS, 0)) << "forgotten";
    EXPECT_EQ(mgt->Method2(0, v.Get()), E_NOTIMPL);
    EXPECT_EQ(mgt->Method4(0, 0), E_NOTIMPL);
    EXPECT_EQ(mgt->Method6(0, 0, v.Get()), E_NOTIMPL);
}

TEST_F(MgtComponentTest, AnswersCallsByDispatchId) {
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(mgt->QueryInterface(IID_IDispatch, dispatch.OutVoid()), S_OK);
    Variant result;
    uint32_t argErr = 99;
    auto invoke = [&](DISPID id, Args& args) {
        return dispatch->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, args.Params(), result.Get(),
                                nullptr, &argErr);
    };

    Args select({I4(0), I4(0)});
    EXPECT_EQ(invoke(DISPID_MGT_SELECTDEVICE, select), S_OK);
    Variant address("127.0.0.2");
    Args set({I4(EID_DEVICEADDRESS), I4(0), ByRef(VT_VARIANT, address.Get())});
    EXPECT_EQ(invoke(DISPID_MGT_SETELEMENT, set), S_OK);

    Variant value;
    Args get({I4(EID_ODRAGENERALDPFAXENABLED), I4(1), ByRef(VT_VARIANT, value.Get())});
    EXPECT_EQ(invoke(DISPID_MGT_GETELEMENT, get), S_OK);
    ASSERT_EQ(value->vt, VT_I4);
    EXPECT_EQ(value->lVal, 3);
    EXPECT_EQ(result->vt, VT_EMPTY) << "the methods return nothing else";

    int32_t rows = 0;
    Args count({I4(EID_ODRAALERTCODE), ByRef(VT_I4, &rows)});
    EXPECT_EQ(invoke(DISPID_MGT_GETROWCOUNT, count), S_OK);
    EXPECT_EQ(rows, 3);

    Args tooFew({I4(0)});
    EXPECT_EQ(invoke(DISPID_MGT_SELECTDEVICE, tooFew), DISP_E_BADPARAMCOUNT);
    Args notAPointer({I4(EID_ODRAALERTCODE), I4(0), I4(0)});
    EXPECT_EQ(invoke(DISPID_MGT_GETELEMENT, notAPointer), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u) << "the last argument, counted as automation passes them";
    EXPECT_EQ(invoke(42, select), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(dispatch->Invoke(DISPID_MGT_SELECTDEVICE, GUID_NULL, 0, DISPATCH_PROPERTYGET,
                               select.Params(), nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    Args failing({I4(4242), I4(0), ByRef(VT_VARIANT, value.Get())});
    EXPECT_EQ(invoke(DISPID_MGT_GETELEMENT, failing), E_FAIL)
        << "a method's failure comes back as it is";

    const OLECHAR* names[] = {u"GETELEMENT"};
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, DISPID_MGT_GETELEMENT);
    const OLECHAR* unknown[] = {u"refresh"};
    EXPECT_EQ(dispatch->GetIDsOfNames(GUID_NULL, unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
    uint32_t infos = 9;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&infos), S_OK);
    EXPECT_EQ(infos, 0u);
}

TEST_F(MgtComponentTest, StillKnowsAddressesWithoutMappingFiles) {
    qxtest::TempDir empty;
    SetProgramDirectoryForTesting(empty.Path());
    ComPtr<Imgt> bare;
    ASSERT_EQ(CoCreateInstance(CLSID_mgt, nullptr, CLSCTX_INPROC_SERVER, IID_Imgt, bare.OutVoid()),
              S_OK);
    SetProgramDirectoryForTesting("");
    bare->SelectDevice(0, 0);
    Variant address("127.0.0.2"), v;
    EXPECT_EQ(bare->setElement(EID_DEVICEADDRESS, 0, address.Get()), S_OK);
    EXPECT_EQ(bare->getElement(EID_ODRAGENERALQXNAME, 0, v.Get()), E_FAIL);
    EXPECT_EQ(bare->getElement(EID_DEVICEADDRESS, 0, v.Get()), S_OK);
}
