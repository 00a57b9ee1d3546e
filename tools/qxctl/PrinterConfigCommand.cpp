// qxctl printer-config: what a printer driver does to learn the configuration
// of the device behind its printer, over the bus: create the configuration
// object (the bus starts the server when needed), create a cancel event, call
// InitPrinter with the printer's spooler facts, then every getter, then
// ExitPrinter. Packed texts are shown as the driver reads them.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "automation/CancelEvent.h"
#include "automation/Interfaces.h"
#include "automation/PrinterConfigTables.h"
#include "automation/TypeLibrary.h"
#include "platform/bus/RemoteObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/spooler/Spooler.h"
#include "platform/system/Win32Error.h"

namespace qxctl {

namespace {

std::string HResultWord(HRESULT hr) {
    if (const char* name = HResultName(hr))
        return name;
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
    return buf;
}

struct PrinterFacts {
    std::string port, server;
    uint32_t attributes = 0;
};

bool ReadPrinter(const std::string& name, PrinterFacts& facts, long& error) {
    uint32_t needed = 0;
    error = qx::spool::Spooler::GetPrinter(name.c_str(), 2, nullptr, 0, needed);
    if (error != qx::ERROR_INSUFFICIENT_BUFFER)
        return false;
    std::vector<uint64_t> buffer((needed + sizeof(uint64_t) - 1) / sizeof(uint64_t));
    error = qx::spool::Spooler::GetPrinter(name.c_str(), 2, buffer.data(), needed, needed);
    if (error != qx::ERROR_SUCCESS)
        return false;
    const auto* info = reinterpret_cast<const qx::spool::PrinterInfo2*>(buffer.data());
    facts.port = info->pPortName ? info->pPortName : "";
    facts.server = info->pServerName ? info->pServerName : "";
    facts.attributes = info->Attributes;
    return true;
}

// One getter's answer as the driver reads it.
struct Answer {
    std::string name;  // "GetModel", "GetMediaType(3)"
    HRESULT hr = E_FAIL;
    QJsonValue value;
};

QJsonValue DriverValue(const VARIANT& v, bool packed) {
    switch (v.vt) {
        case VT_I2:
        case VT_BOOL:
            return v.iVal;
        case VT_I4:
            return v.lVal;
        case VT_BSTR:
            if (packed)
                return QString::fromStdString(qx::UnpackedText(v.bstrVal));
            return QString::fromUtf16(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal));
        default:
            return QJsonValue();
    }
}

std::string ValueText(const QJsonValue& value) {
    if (value.isString())
        return "\"" + value.toString().toStdString() + "\"";
    if (value.isDouble())
        return std::to_string(value.toInt());
    return "-";
}

class ConfigObject {
  public:
    explicit ConfigObject(IDispatch* object) : m_object(object) {}

    HRESULT Call(DISPID dispid, std::vector<VARIANTARG> args) {
        // Arguments travel last first.
        std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<uint32_t>(reversed.size()), 0};
        uint32_t argErr = 0;
        return m_object->Invoke(dispid, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                                &argErr);
    }

    Answer Get(const char* name, DISPID dispid, bool packed, const int32_t* location = nullptr) {
        qx::Variant out;
        VARIANTARG ref;
        VariantInit(&ref);
        ref.vt = VT_BYREF | VT_VARIANT;
        ref.pvarVal = out.Get();
        std::vector<VARIANTARG> args;
        if (location)
            args.push_back(*qx::Variant(*location).Get());
        args.push_back(ref);
        Answer a;
        a.name = location ? std::string(name) + "(" + std::to_string(*location) + ")" : name;
        a.hr = Call(dispid, args);
        if (SUCCEEDED(a.hr))
            a.value = DriverValue(*out.Get(), packed);
        return a;
    }

  private:
    IDispatch* m_object;
};

struct Getter {
    const char* name;
    DISPID dispid;
    bool packed;
    bool byLocation;
};

constexpr Getter kGetters[] = {
    {"GetModel", 3, false, false},        {"GetModelS", 4, true, false},
    {"GetPedestal", 5, false, false},     {"GetPedestalS", 6, true, false},
    {"GetFinisherType", 7, false, false}, {"GetFinisherTypeS", 8, true, false},
    {"GetPunchUnit", 9, false, false},    {"GetPunchUnitS", 10, true, false},
    {"GetMediaType", 11, false, true},    {"GetMediaTypeS", 12, true, true},
    {"GetPaperSize", 13, false, true},    {"GetPaperSizeS", 14, true, true},
    {"GetUserNameS", 15, false, false},   {"GetComputerNameS", 16, false, false},
    {"IsExternalLCF", 17, false, false},  {"IsInserterPresent", 18, false, false},
    {"GetMemorySize", 19, false, false},  {"IsSNMPSuccess", 20, false, false},
    {"GetADUState", 21, false, false},
};

}  // namespace

int RunPrinterConfig(const Args& given) {
    Args args = given;
    const bool json = TakeFlag(args, "--json");
    std::string text, error;
    int32_t instance = 0, family = 3;
    if (TakeOption(args, "--instance", text, error) && (!ParseInt(text, instance)))
        return UsageError("printer-config", "--instance takes 0 or 1");
    if (!error.empty())
        return UsageError("printer-config", error);
    if (TakeOption(args, "--family", text, error) && !ParseInt(text, family))
        return UsageError("printer-config", "--family takes a number");
    if (!error.empty())
        return UsageError("printer-config", error);
    if (args.size() != 1)
        return UsageError("printer-config", "needs one printer name");
    const std::string printer = args[0];

    PrinterFacts facts;
    long spoolError = 0;
    if (!ReadPrinter(printer, facts, spoolError)) {
        std::fprintf(stderr, "qxctl printer-config: no printer \"%s\" (error %ld)\n",
                     printer.c_str(), spoolError);
        return 1;
    }

    int argc = 1;
    char name[] = "qxctl";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    CoInitialize();
    qx::bus::InstallLocalServerActivator(QDBusConnection::sessionBus(),
                                         qx::KORVALENMISvrEndpoint());

    // The driver's cancel event; nobody signals it here, but InitPrinter
    // needs one it can open.
    const std::string eventName = "qxctl-printer-config-" + std::to_string(getpid());
    qx::CancelEvent cancel;
    if (!cancel.Create(eventName)) {
        std::fprintf(stderr, "qxctl printer-config: cannot create the cancel event %s\n",
                     eventName.c_str());
        CoUninitialize();
        return 1;
    }

    qx::ComPtr<IDispatch> object;
    HRESULT hr = CoCreateInstance(CLSID_DsePrinterConfigKORVALEN, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_IDispatch, object.OutVoid());
    if (FAILED(hr)) {
        std::fprintf(stderr, "qxctl printer-config: cannot create the configuration object: %s\n",
                     HResultWord(hr).c_str());
        CoUninitialize();
        return 1;
    }
    ConfigObject config(object.Get());

    qx::Variant vPrinter(printer), vEvent(eventName), vPort(facts.port), vServer(facts.server);
    const HRESULT hrInit =
        config.Call(1, {*vPrinter.Get(), *qx::Variant(instance).Get(), *qx::Variant(family).Get(),
                        *vEvent.Get(), *vPort.Get(), *vServer.Get(),
                        *qx::Variant(static_cast<int32_t>(facts.attributes)).Get()});

    std::vector<Answer> answers;
    for (const Getter& g : kGetters) {
        if (!g.byLocation) {
            answers.push_back(config.Get(g.name, g.dispid, g.packed));
            continue;
        }
        for (int32_t location : qx::kConfigLocations)
            answers.push_back(config.Get(g.name, g.dispid, g.packed, &location));
    }
    config.Call(2, {});
    object.Reset();

    if (json) {
        QJsonObject getters;
        for (const Getter& g : kGetters) {
            auto valueOf = [](const Answer& a) {
                return SUCCEEDED(a.hr)
                           ? a.value
                           : QJsonObject{{"hresult", QString::fromStdString(HResultWord(a.hr))}};
            };
            if (!g.byLocation) {
                for (const Answer& a : answers)
                    if (a.name == g.name)
                        getters[g.name] = valueOf(a);
                continue;
            }
            QJsonObject byLocation;
            for (const Answer& a : answers)
                if (a.name.rfind(std::string(g.name) + "(", 0) == 0) {
                    std::string location = a.name.substr(std::string(g.name).size() + 1);
                    location.pop_back();
                    byLocation[QString::fromStdString(location)] = valueOf(a);
                }
            getters[g.name] = byLocation;
        }
        QJsonObject doc{{"InitPrinter", QString::fromStdString(HResultWord(hrInit))},
                        {"getters", getters}};
        std::printf("%s", QJsonDocument(doc).toJson(QJsonDocument::Indented).constData());
    } else {
        std::printf("%-20s %s\n", "InitPrinter", HResultWord(hrInit).c_str());
        for (const Answer& a : answers)
            std::printf("%-20s %-12s %s\n", a.name.c_str(), HResultWord(a.hr).c_str(),
                        ValueText(a.value).c_str());
    }
    CoUninitialize();
    return hrInit == S_OK ? 0 : 1;
}

}  // namespace qxctl
