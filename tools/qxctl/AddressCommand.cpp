// qxctl address: asks the server for a printer's device address, as a client
// does (GetPrinterAddress, or GetPrinterAddressOrven with --orven), and prints
// the result and the address.

#include <cstdio>
#include <string>

#include "Commands.h"

namespace qxctl {

int RunAddress(const Args& given) {
    Args args = given;
    bool orven = TakeFlag(args, "--orven");
    if (args.size() != 1)
        return UsageError("address", "needs a printer name");
    std::vector<qx::Variant> inputs;
    inputs.emplace_back(std::string_view(args[0]));
    inputs.push_back(qx::Variant::Of(VT_I4, orven ? 2 : 1));
    qx::Variant address;
    HRESULT hr = CallMonitorMethod(orven, 2, inputs, &address);
    if (address.Get()->vt == VT_BSTR)
        std::printf("%s %s\n", HResultLabel(hr).c_str(),
                    qx::Utf8FromBstr(address.Get()->bstrVal).c_str());
    else
        std::printf("%s\n", HResultLabel(hr).c_str());
    return hr == S_OK ? 0 : 1;
}

}  // namespace qxctl
