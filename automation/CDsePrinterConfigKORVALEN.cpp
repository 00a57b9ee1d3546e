#include "CDsePrinterConfigKORVALEN.h"

namespace qx {

HRESULT CDsePrinterConfigKORVALEN::InitPrinter(BSTR, int32_t, int32_t, BSTR, BSTR, BSTR, int32_t) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::ExitPrinter() {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetModel(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetModelS(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetPedestal(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetPedestalS(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetFinisherType(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetFinisherTypeS(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetPunchUnit(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetPunchUnitS(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetMediaType(int32_t, VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetMediaTypeS(int32_t, VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetPaperSize(int32_t, VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetPaperSizeS(int32_t, VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetUserNameS(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetComputerNameS(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::IsExternalLCF(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::IsInserterPresent(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetMemorySize(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::IsSNMPSuccess(VARIANT*) {
    return E_NOTIMPL;
}

HRESULT CDsePrinterConfigKORVALEN::GetADUState(VARIANT*) {
    return E_NOTIMPL;
}

}  // namespace qx
