#pragma once
// The document-monitor class of the KORVALEN family (device family 1).
// Its methods are those of CDseTendra for family 1.

#include "AutomationObject.h"
#include "Interfaces.h"

namespace qx {

class CDseTendraKORVALEN final : public CAutomationObject<CDseTendraKORVALEN, IDseTendraKORVALEN> {
  public:
    static constexpr IID kIid = IID_IDseTendraKORVALEN;
    static constexpr DispatchMember<IDseTendraKORVALEN> kDispatchTable[] = {
        {1, "SubmitDocument", DispatchTo<&IDseTendraKORVALEN::SubmitDocument>},
        {2, "GetPrinterAddress", DispatchTo<&IDseTendraKORVALEN::GetPrinterAddress>},
        {3, "DoNetworkDiscovery", DispatchTo<&IDseTendraKORVALEN::DoNetworkDiscovery>},
        {4, "DoNetworkDiscoveryKORVALEN",
         DispatchTo<&IDseTendraKORVALEN::DoNetworkDiscoveryKORVALEN>},
    };

    HRESULT SubmitDocument(BSTR bstrPrinterName, BSTR bstrSubmissionID,
                           int32_t PrinterFamily) override;
    HRESULT GetPrinterAddress(BSTR bstrPrinterName, int32_t PrinterFamily,
                              VARIANT* address) override;
    HRESULT DoNetworkDiscovery(int nCaller) override;
    HRESULT DoNetworkDiscoveryKORVALEN(int* nCancel) override;

  private:
    friend class CAutomationObject<CDseTendraKORVALEN, IDseTendraKORVALEN>;
    explicit CDseTendraKORVALEN(IUnknown* outer) : CAutomationObject(outer) {}
    ~CDseTendraKORVALEN() override = default;
};

}  // namespace qx
