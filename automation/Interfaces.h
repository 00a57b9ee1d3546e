#pragma once
// The type library KORVALENMISVRLib 1.0: the identifiers of the library, its
// three classes and their dual interfaces, and the interfaces' methods in
// slot order (slots 7 onwards, after IUnknown and IDispatch). The same
// library, with dispids and help strings, is the interface XML beside this
// file. "long" of the type library is int32_t here.

#include <cstdint>

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

constexpr GUID LIBID_KORVALENMISVRLib = MakeGuid("21BADE02-6A6A-4768-B2ED-66FFDCC99396");
constexpr GUID APPID_KORVALENMISvr = MakeGuid("83FAAC57-2F56-4652-866D-E486522C4F8D");

constexpr CLSID CLSID_DseTendraKORVALEN = MakeGuid("2E09E4B8-245E-4ebc-817A-F708207473B7");
constexpr CLSID CLSID_DsePrinterConfigKORVALEN = MakeGuid("B7C03984-2BE3-4ecc-9F07-A223563EBC38");
constexpr CLSID CLSID_DseTendraOrven = MakeGuid("6102DD70-63E8-440e-9DD8-904F07489671");

constexpr IID IID_IDseTendraKORVALEN = MakeGuid("06E7DF8E-1EB1-466E-B9F7-4D60AC03031E");
constexpr IID IID_IDsePrinterConfigKORVALEN = MakeGuid("781B9A43-D04C-450B-8620-F0877E5FE381");
constexpr IID IID_IDseTendraOrven = MakeGuid("C35D7D3B-92E4-416E-A7E4-7FFC284A2D4F");

struct IDseTendraKORVALEN : IDispatch {
    virtual HRESULT SubmitDocument(BSTR bstrPrinterName, BSTR bstrSubmissionID,
                                   int32_t PrinterFamily) = 0;
    virtual HRESULT GetPrinterAddress(BSTR bstrPrinterName, int32_t PrinterFamily,
                                      VARIANT* address) = 0;
    virtual HRESULT DoNetworkDiscovery(int nCaller) = 0;
    virtual HRESULT DoNetworkDiscoveryKORVALEN(int* nCancel) = 0;

  protected:
    ~IDseTendraKORVALEN() = default;
};

struct IDseTendraOrven : IDispatch {
    virtual HRESULT SubmitDocumentOrven(BSTR bstrPrinterName, BSTR bstrSubmissionID,
                                        int32_t PrinterFamily) = 0;
    virtual HRESULT GetPrinterAddressOrven(BSTR bstrPrinterName, int32_t PrinterFamily,
                                           VARIANT* address) = 0;
    virtual HRESULT DoNetworkDiscoveryOrven(int nCaller) = 0;
    virtual HRESULT DoNetworkDiscoveryOr(int* nCancel) = 0;

  protected:
    ~IDseTendraOrven() = default;
};

// The VARIANT* parameters without a direction attribute in the type library
// are written all the same (see the interface XML).
struct IDsePrinterConfigKORVALEN : IDispatch {
    virtual HRESULT InitPrinter(BSTR bstrPrinterName, int32_t instance, int32_t PrinterFamily,
                                BSTR bstrEventName, BSTR bstrPortName, BSTR bstrServerName,
                                int32_t dwAttribute) = 0;
    virtual HRESULT ExitPrinter() = 0;
    virtual HRESULT GetModel(VARIANT* model) = 0;
    virtual HRESULT GetModelS(VARIANT* model) = 0;
    virtual HRESULT GetPedestal(VARIANT* pedestal) = 0;
    virtual HRESULT GetPedestalS(VARIANT* pedestal) = 0;
    virtual HRESULT GetFinisherType(VARIANT* finisher) = 0;
    virtual HRESULT GetFinisherTypeS(VARIANT* finisher) = 0;
    virtual HRESULT GetPunchUnit(VARIANT* punch_unit) = 0;
    virtual HRESULT GetPunchUnitS(VARIANT* punch_unit) = 0;
    virtual HRESULT GetMediaType(int32_t location, VARIANT* media) = 0;
    virtual HRESULT GetMediaTypeS(int32_t location, VARIANT* media) = 0;
    virtual HRESULT GetPaperSize(int32_t location, VARIANT* size) = 0;
    virtual HRESULT GetPaperSizeS(int32_t location, VARIANT* size) = 0;
    virtual HRESULT GetUserNameS(VARIANT* name) = 0;
    virtual HRESULT GetComputerNameS(VARIANT* name) = 0;
    virtual HRESULT IsExternalLCF(VARIANT* bIsExtLCFPresent) = 0;
    virtual HRESULT IsInserterPresent(VARIANT* iInserterPresent) = 0;
    virtual HRESULT GetMemorySize(VARIANT* memSize) = 0;
    virtual HRESULT IsSNMPSuccess(VARIANT* bSNMP) = 0;
    virtual HRESULT GetADUState(VARIANT* aduState) = 0;

  protected:
    ~IDsePrinterConfigKORVALEN() = default;
};
