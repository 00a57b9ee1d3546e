#pragma once
// The printer configuration class: a device's configuration for the printer
// driver. InitPrinter finds the device behind a printer, reads it through a
// printer summary table and keeps the converted values; the getters answer
// from them. The values and the management component belong to the process,
// not to the object: every object answers what the latest InitPrinter of any
// object read, which is what drivers that open one object per page expect.

#include <cstdint>

#include "AutomationObject.h"
#include "Interfaces.h"

namespace qx {

class CDsePrinterConfigKORVALEN final
    : public CAutomationObject<CDsePrinterConfigKORVALEN, IDsePrinterConfigKORVALEN> {
  public:
    static constexpr IID kIid = IID_IDsePrinterConfigKORVALEN;
    static constexpr DispatchMember<IDsePrinterConfigKORVALEN> kDispatchTable[] = {
        {1, "InitPrinter", DispatchTo<&IDsePrinterConfigKORVALEN::InitPrinter>},
        {2, "ExitPrinter", DispatchTo<&IDsePrinterConfigKORVALEN::ExitPrinter>},
        {3, "GetModel", DispatchTo<&IDsePrinterConfigKORVALEN::GetModel>},
        {4, "GetModelS", DispatchTo<&IDsePrinterConfigKORVALEN::GetModelS>},
        {5, "GetPedestal", DispatchTo<&IDsePrinterConfigKORVALEN::GetPedestal>},
        {6, "GetPedestalS", DispatchTo<&IDsePrinterConfigKORVALEN::GetPedestalS>},
        {7, "GetFinisherType", DispatchTo<&IDsePrinterConfigKORVALEN::GetFinisherType>},
        {8, "GetFinisherTypeS", DispatchTo<&IDsePrinterConfigKORVALEN::GetFinisherTypeS>},
        {9, "GetPunchUnit", DispatchTo<&IDsePrinterConfigKORVALEN::GetPunchUnit>},
        {10, "GetPunchUnitS", DispatchTo<&IDsePrinterConfigKORVALEN::GetPunchUnitS>},
        {11, "GetMediaType", DispatchTo<&IDsePrinterConfigKORVALEN::GetMediaType>},
        {12, "GetMediaTypeS", DispatchTo<&IDsePrinterConfigKORVALEN::GetMediaTypeS>},
        {13, "GetPaperSize", DispatchTo<&IDsePrinterConfigKORVALEN::GetPaperSize>},
        {14, "GetPaperSizeS", DispatchTo<&IDsePrinterConfigKORVALEN::GetPaperSizeS>},
        {15, "GetUserNameS", DispatchTo<&IDsePrinterConfigKORVALEN::GetUserNameS>, true},
        {16, "GetComputerNameS", DispatchTo<&IDsePrinterConfigKORVALEN::GetComputerNameS>, true},
        {17, "IsExternalLCF", DispatchTo<&IDsePrinterConfigKORVALEN::IsExternalLCF>},
        {18, "IsInserterPresent", DispatchTo<&IDsePrinterConfigKORVALEN::IsInserterPresent>},
        {19, "GetMemorySize", DispatchTo<&IDsePrinterConfigKORVALEN::GetMemorySize>},
        {20, "IsSNMPSuccess", DispatchTo<&IDsePrinterConfigKORVALEN::IsSNMPSuccess>},
        {21, "GetADUState", DispatchTo<&IDsePrinterConfigKORVALEN::GetADUState>},
    };

    HRESULT InitPrinter(BSTR bstrPrinterName, int32_t instance, int32_t PrinterFamily,
                        BSTR bstrEventName, BSTR bstrPortName, BSTR bstrServerName,
                        int32_t dwAttribute) override;
    HRESULT ExitPrinter() override;
    HRESULT GetModel(VARIANT* model) override;
    HRESULT GetModelS(VARIANT* model) override;
    HRESULT GetPedestal(VARIANT* pedestal) override;
    HRESULT GetPedestalS(VARIANT* pedestal) override;
    HRESULT GetFinisherType(VARIANT* finisher) override;
    HRESULT GetFinisherTypeS(VARIANT* finisher) override;
    HRESULT GetPunchUnit(VARIANT* punch_unit) override;
    HRESULT GetPunchUnitS(VARIANT* punch_unit) override;
    HRESULT GetMediaType(int32_t location, VARIANT* media) override;
    HRESULT GetMediaTypeS(int32_t location, VARIANT* media) override;
    HRESULT GetPaperSize(int32_t location, VARIANT* size) override;
    HRESULT GetPaperSizeS(int32_t location, VARIANT* size) override;
    HRESULT GetUserNameS(VARIANT* name) override;
    HRESULT GetComputerNameS(VARIANT* name) override;
    HRESULT IsExternalLCF(VARIANT* bIsExtLCFPresent) override;
    HRESULT IsInserterPresent(VARIANT* iInserterPresent) override;
    HRESULT GetMemorySize(VARIANT* memSize) override;
    HRESULT IsSNMPSuccess(VARIANT* bSNMP) override;
    HRESULT GetADUState(VARIANT* aduState) override;

    // Back to the state of a process that never ran InitPrinter (0 and
    // empty texts, no management component), for tests that share a process.
    static void ResetDeviceValuesForTesting();

  private:
    friend class CAutomationObject<CDsePrinterConfigKORVALEN, IDsePrinterConfigKORVALEN>;
    explicit CDsePrinterConfigKORVALEN(IUnknown* outer) : CAutomationObject(outer) {}
    ~CDsePrinterConfigKORVALEN() override;

    int32_t m_nFamilyCode = 0;  // unset until InitPrinter
    int32_t m_bSNMPSuccess = 1;
    // CoInitialize calls of this object's InitPrinter that ExitPrinter has
    // not balanced yet: an ExitPrinter without InitPrinter must not end the
    // COM use of the server's own thread.
    int m_nComInits = 0;
};

}  // namespace qx
