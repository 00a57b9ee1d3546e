#include "LocalPrinterAddress.h"

#include <string>

#include "platform/registry/RegistryKey.h"

namespace qx {

HRESULT GetLocalPrinterAddress(BSTR, VARIANT* pAddress, NamedEvent*, int, BSTR bstrPortName, BSTR,
                               uint32_t dwAttribute) {
    const std::string port = Utf8FromBstr(bstrPortName);
    std::string address;
    if (dwAttribute & 0x40) {
        reg::Key key;
        if (reg::Key::Open(reg::Hive::LocalMachine,
                           "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP "
                           "Port\\Ports\\" +
                               port,
                           reg::Access::Read, key) == 0)
            key.GetString("IPAddress", address);
    } else if ((dwAttribute & 0x10) && port.find("IP_") != std::string::npos) {
        address = port.substr(3);
    }
    if (address.empty() || !pAddress)
        return E_FAIL;
    VariantClear(pAddress);
    pAddress->vt = VT_BSTR;
    pAddress->bstrVal = BstrFromUtf8(address);
    return S_OK;
}

}  // namespace qx
