// qxctl submit: hands a submission to the Tendra monitor through the server,
// as the printing side does (SubmitDocument, or SubmitDocumentOrven with
// --orven), and prints the result. Also the client call that qxctl address
// shares.

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>
#include <string>

#include "Commands.h"
#include "automation/TypeLibrary.h"
#include "platform/bus/RemoteObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"

namespace qxctl {

HRESULT CallMonitorMethod(bool orven, DISPID dispid, std::vector<qx::Variant>& inputs,
                          qx::Variant* out) {
    int argc = 1;
    char name[] = "qxctl";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    CoInitialize();
    qx::bus::InstallLocalServerActivator(QDBusConnection::sessionBus(),
                                         qx::KORVALENMISvrEndpoint());
    HRESULT hr;
    {
        qx::ComPtr<IDispatch> object;
        hr = qx::CreateObject(
            orven ? "KORVALENMISvr.DseTendraOrven" : "KORVALENMISvr.DseTendraKORVALEN",
            CLSCTX_LOCAL_SERVER, IID_IDispatch, object.OutVoid());
        if (SUCCEEDED(hr)) {
            // Arguments go last first.
            std::vector<VARIANTARG> args;
            if (out) {
                VARIANTARG ref;
                VariantInit(&ref);
                ref.vt = VT_BYREF | VT_VARIANT;
                ref.pvarVal = out->Get();
                args.push_back(ref);
            }
            for (auto it = inputs.rbegin(); it != inputs.rend(); ++it)
                args.push_back(*it->Get());
            DISPPARAMS params{args.data(), nullptr, static_cast<uint32_t>(args.size()), 0};
            hr = object->Invoke(dispid, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                                nullptr);
        } else {
            std::fprintf(stderr, "qxctl: cannot create the document-monitor object\n");
        }
    }
    CoUninitialize();
    return hr;
}

std::string HResultLabel(HRESULT hr) {
    if (const char* name = HResultName(hr))
        return name;
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
    return buf;
}

int RunSubmit(const Args& given) {
    Args args = given;
    bool orven = TakeFlag(args, "--orven");
    if (args.size() != 2)
        return UsageError("submit", "needs a printer name and a submission id");
    std::vector<qx::Variant> inputs;
    inputs.emplace_back(std::string_view(args[0]));
    inputs.emplace_back(std::string_view(args[1]));
    inputs.push_back(qx::Variant::Of(VT_I4, orven ? 2 : 1));
    HRESULT hr = CallMonitorMethod(orven, 1, inputs, nullptr);
    std::printf("%s\n", HResultLabel(hr).c_str());
    return hr == S_OK ? 0 : 1;
}

}  // namespace qxctl
