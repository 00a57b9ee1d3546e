// qxctl call: creates an object of the server by ProgID or CLSID (the bus
// starts the server when needed), calls one method, prints the HRESULT and
// the out values, and releases the object.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "automation/TypeLibrary.h"
#include "platform/bus/RemoteObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"

namespace qxctl {

namespace {

std::string HResultText(HRESULT hr) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
    const char* name = HResultName(hr);
    return name ? std::string(buf) + " " + name : std::string(buf);
}

std::string HexCode(HRESULT hr) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
    return buf;
}

// "TYPE:VALUE" with an explicit VT, or plain text (a VT_BSTR that the call
// converts to the parameter's type).
bool ParseArgument(const std::string& text, qx::Variant& out, std::string& error) {
    auto colon = text.find(':');
    std::string type = colon == std::string::npos ? std::string() : text.substr(0, colon);
    std::string value = colon == std::string::npos ? text : text.substr(colon + 1);
    VARTYPE vt;
    if (type == "i2")
        vt = VT_I2;
    else if (type == "i4")
        vt = VT_I4;
    else if (type == "bool")
        vt = VT_BOOL;
    else if (type == "bstr")
        vt = VT_BSTR;
    else if (type == "empty")
        vt = VT_EMPTY;
    else {
        out = qx::Variant(text);
        return true;
    }
    if (vt == VT_EMPTY) {
        out = qx::Variant();
        return true;
    }
    qx::Variant given(value);
    HRESULT hr = VariantChangeType(out.Get(), given.Get(), 0, vt);
    if (FAILED(hr)) {
        error = "\"" + value + "\" is no " + type + " value";
        return false;
    }
    return true;
}

// A BSTR's units as readable text: control characters and zeros escaped.
std::string Printable(BSTR text) {
    std::u16string_view units(text ? text : u"", SysStringLen(text));
    std::string out = "\"";
    std::u16string run;
    auto flush = [&] {
        out += qx::Utf8FromUtf16(run);
        run.clear();
    };
    for (char16_t c : units) {
        if (c < 0x20 || c == u'"' || c == u'\\') {
            flush();
            char buf[8];
            if (c == 0)
                std::snprintf(buf, sizeof buf, "\\0");
            else if (c == u'"' || c == u'\\')
                std::snprintf(buf, sizeof buf, "\\%c", static_cast<char>(c));
            else
                std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c));
            out += buf;
        } else {
            run.push_back(c);
        }
    }
    flush();
    return out + "\"";
}

std::string VariantText(const VARIANT& v) {
    switch (v.vt) {
        case VT_EMPTY:
            return "VT_EMPTY";
        case VT_NULL:
            return "VT_NULL";
        case VT_I2:
            return "VT_I2 " + std::to_string(v.iVal);
        case VT_BOOL:
            return "VT_BOOL " + std::to_string(v.boolVal);
        case VT_I4:
        case VT_INT:
        case VT_ERROR:
            return qx::VarTypeName(v.vt) + " " + std::to_string(v.lVal);
        case VT_BSTR:
            return "VT_BSTR " + Printable(v.bstrVal);
        default:
            return qx::VarTypeName(v.vt);
    }
}

QJsonObject VariantJson(const VARIANT& v) {
    QJsonObject o{{"vt", v.vt}, {"type", QString::fromStdString(qx::VarTypeName(v.vt))}};
    switch (v.vt) {
        case VT_I2:
        case VT_BOOL:
            o["value"] = v.iVal;
            break;
        case VT_I4:
        case VT_INT:
        case VT_ERROR:
            o["value"] = v.lVal;
            break;
        case VT_BSTR: {
            uint32_t n = SysStringLen(v.bstrVal);
            o["value"] = QString::fromUtf16(v.bstrVal ? v.bstrVal : u"", n);
            QJsonArray units;
            for (uint32_t i = 0; i < n; ++i)
                units.append(static_cast<int>(v.bstrVal[i]));
            o["units"] = units;
            break;
        }
        default:
            o["value"] = QJsonValue();
            break;
    }
    return o;
}

}  // namespace

int RunCall(const Args& given) {
    Args args = given;
    bool json = TakeFlag(args, "--json");
    if (args.size() < 2)
        return UsageError("call", "needs a ProgID or CLSID and a method name");
    std::string classText = args[0], methodName = args[1];
    std::vector<qx::Variant> inputs;
    for (size_t i = 2; i < args.size(); ++i) {
        qx::Variant v;
        std::string error;
        if (!ParseArgument(args[i], v, error))
            return UsageError("call", error);
        inputs.push_back(std::move(v));
    }

    int argc = 1;
    char name[] = "qxctl";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    CoInitialize();
    qx::bus::InstallLocalServerActivator(QDBusConnection::sessionBus(),
                                         qx::KORVALENMISvrEndpoint());

    qx::ComPtr<IDispatch> object;
    HRESULT hr = qx::CreateObject(classText, CLSCTX_LOCAL_SERVER, IID_IDispatch, object.OutVoid());
    if (FAILED(hr)) {
        std::fprintf(stderr, "qxctl call: cannot create %s: %s\n", classText.c_str(),
                     HResultText(hr).c_str());
        CoUninitialize();
        return 1;
    }
    qx::ComPtr<qx::bus::IBusObject> info;
    object->QueryInterface(qx::bus::IID_IBusObject, info.OutVoid());
    const qx::InterfaceInfo* itf = info ? info->Interface() : nullptr;
    const qx::MethodInfo* method = itf ? itf->FindMethod(methodName) : nullptr;
    if (!method) {
        std::fprintf(stderr, "qxctl call: %s has no method %s\n",
                     itf ? itf->name.c_str() : classText.c_str(), methodName.c_str());
        if (itf) {
            std::fprintf(stderr, "methods:");
            for (const auto& m : itf->methods)
                std::fprintf(stderr, " %s", m.name.c_str());
            std::fprintf(stderr, "\n");
        }
        object.Reset();
        CoUninitialize();
        return 2;
    }

    size_t inCount = 0;
    for (const auto& p : method->params)
        inCount += p.IsOut() ? 0 : 1;
    if (inputs.size() != inCount) {
        std::string signature;
        for (const auto& p : method->params)
            if (!p.IsOut())
                signature += " " + qx::TypeNameOf(p.type) + " " + p.name;
        object.Reset();
        CoUninitialize();
        return UsageError("call", method->name + " takes " + std::to_string(inCount) +
                                      " argument(s):" + signature);
    }

    size_t count = method->params.size();
    std::vector<qx::Variant> outVariants(count);
    std::vector<int32_t> outInts(count, 0);
    std::vector<VARIANTARG> rgvarg(count);
    for (size_t i = 0, next = 0; i < count; ++i) {
        const qx::ParamInfo& p = method->params[i];
        VARIANTARG& a = rgvarg[count - 1 - i];
        VariantInit(&a);
        if (!p.IsOut()) {
            a = *inputs[next++].Get();  // borrowed
        } else if ((p.type & ~VT_BYREF) == VT_VARIANT) {
            a.vt = VT_BYREF | VT_VARIANT;
            a.pvarVal = outVariants[i].Get();
        } else {
            a.vt = VT_BYREF | VT_I4;
            a.plVal = &outInts[i];
        }
    }
    DISPPARAMS params{rgvarg.data(), nullptr, static_cast<uint32_t>(count), 0};
    uint32_t argErr = 0;
    hr = object->Invoke(method->dispid, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                        &argErr);

    if (json) {
        QJsonArray outs;
        for (size_t i = 0; i < count; ++i) {
            const qx::ParamInfo& p = method->params[i];
            if (!p.IsOut())
                continue;
            QJsonObject o{{"name", QString::fromStdString(p.name)}};
            if ((p.type & ~VT_BYREF) == VT_VARIANT)
                o["variant"] = VariantJson(*outVariants[i].Get());
            else
                o["value"] = outInts[i];
            outs.append(o);
        }
        QJsonObject doc{
            {"class", QString::fromStdString(classText)},
            {"object", info->Path()},
            {"method", QString::fromStdString(method->name)},
            {"hresult", QString::fromStdString(HexCode(hr))},
            {"hresultName", HResultName(hr) ? QString::fromLatin1(HResultName(hr)) : QString()},
            {"succeeded", SUCCEEDED(hr)},
            {"out", outs}};
        std::printf("%s", QJsonDocument(doc).toJson(QJsonDocument::Indented).constData());
    } else {
        std::printf("%s: %s\n", method->name.c_str(), HResultText(hr).c_str());
        for (size_t i = 0; i < count; ++i) {
            const qx::ParamInfo& p = method->params[i];
            if (!p.IsOut())
                continue;
            if ((p.type & ~VT_BYREF) == VT_VARIANT)
                std::printf("  %s = %s\n", p.name.c_str(),
                            VariantText(*outVariants[i].Get()).c_str());
            else
                std::printf("  %s = %d\n", p.name.c_str(), outInts[i]);
        }
    }
    object.Reset();  // releases the server's object
    info.Reset();
    CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}

}  // namespace qxctl
