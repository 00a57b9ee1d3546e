#pragma once
// The document-monitor class of the ORVEN family (device family 2), twin of CDseTendraKORVALEN.
// Its methods are those of CDseTendra for family 2, with the twin's differences.

#include "AutomationObject.h"
#include "Interfaces.h"

namespace qx {

class CDseTendraOrven final : public CAutomationObject<CDseTendraOrven, IDseTendraOrven> {
  public:
    static constexpr IID kIid = IID_IDseTendraOrven;
    static constexpr DispatchMember<IDseTendraOrven> kDispatchTable[] = {
        {1, "SubmitDocumentOrven", DispatchTo<&IDseTendraOrven::SubmitDocumentOrven>},
        {2, "GetPrinterAddressOrven", DispatchTo<&IDseTendraOrven::GetPrinterAddressOrven>},
        {3, "DoNetworkDiscoveryOrven", DispatchTo<&IDseTendraOrven::DoNetworkDiscoveryOrven>},
        {4, "DoNetworkDiscoveryOr", DispatchTo<&IDseTendraOrven::DoNetworkDiscoveryOr>},
    };

    HRESULT SubmitDocumentOrven(BSTR bstrPrinterName, BSTR bstrSubmissionID,
                                int32_t PrinterFamily) override;
    HRESULT GetPrinterAddressOrven(BSTR bstrPrinterName, int32_t PrinterFamily,
                                   VARIANT* address) override;
    HRESULT DoNetworkDiscoveryOrven(int nCaller) override;
    HRESULT DoNetworkDiscoveryOr(int* nCancel) override;

  private:
    friend class CAutomationObject<CDseTendraOrven, IDseTendraOrven>;
    explicit CDseTendraOrven(IUnknown* outer) : CAutomationObject(outer) {}
    ~CDseTendraOrven() override = default;
};

}  // namespace qx
