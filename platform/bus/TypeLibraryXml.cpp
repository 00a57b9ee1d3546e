#include "TypeLibraryXml.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace qx::bus {

namespace {

QString Annotation(const QString& name) {
    return QLatin1String(kAnnotationPrefix) + name;
}

struct PendingArg {
    QString name, busType, direction, idlType, flags;
};

bool FinishArg(const PendingArg& a, MethodInfo& method, bool& sawResult, QString* error) {
    auto fail = [&](const QString& why) {
        *error = QStringLiteral("%1, argument %2: %3")
                     .arg(QString::fromStdString(method.name), a.name, why);
        return false;
    };
    if (a.idlType == QLatin1String("HRESULT")) {
        if (a.direction != QLatin1String("out") || a.busType != QLatin1String("i") || sawResult ||
            method.params.end() != std::find_if(method.params.begin(), method.params.end(),
                                                [](auto& p) { return p.IsOut(); }))
            return fail(QStringLiteral("the HRESULT is the first out value, of type i"));
        sawResult = true;
        return true;
    }
    auto type = ParseTypeName(a.idlType.toStdString());
    if (!type)
        return fail(QStringLiteral("unknown type \"%1\"").arg(a.idlType));
    ParamInfo p;
    p.name = a.name.toStdString();
    p.type = *type;
    auto flags = ParseFlags(
        (a.flags.isEmpty() ? (a.direction.isEmpty() ? QStringLiteral("in") : a.direction) : a.flags)
            .toStdString());
    if (!flags)
        return fail(QStringLiteral("unknown parameter flags \"%1\"").arg(a.flags));
    p.flags = *flags;
    bool outOnBus = a.direction == QLatin1String("out");
    if (outOnBus != p.IsOut())
        return fail(QStringLiteral("bus direction and parameter flags disagree"));
    if (p.IsOut() != bool(p.type & VT_BYREF))
        return fail(QStringLiteral("out values are pointers"));
    if (!sawResult && p.IsOut())
        return fail(QStringLiteral("the HRESULT comes before the out values"));
    if (a.busType != BusSignature(p.type))
        return fail(QStringLiteral("bus type %1 does not carry %2").arg(a.busType, a.idlType));
    method.params.push_back(std::move(p));
    return true;
}

}  // namespace

QString BusSignature(VARTYPE type) {
    switch (type & ~VT_BYREF) {
        case VT_BSTR:
            return QStringLiteral("s");
        case VT_I4:
        case VT_INT:
            return QStringLiteral("i");
        case VT_I2:
        case VT_BOOL:
            return QStringLiteral("n");
        case VT_VARIANT:
            return QStringLiteral("(qv)");
        default:
            return QString();
    }
}

QString InSignature(const MethodInfo& m) {
    QString s;
    for (const auto& p : m.params)
        if (!p.IsOut())
            s += BusSignature(p.type);
    return s;
}

QString ReplySignature(const MethodInfo& m) {
    QString s = QStringLiteral("i");
    for (const auto& p : m.params)
        if (p.IsOut())
            s += BusSignature(p.type);
    return s;
}

bool ParseTypeLibrary(const QString& xml, std::vector<InterfaceInfo>& out, QString* error) {
    QString ignored;
    if (!error)
        error = &ignored;
    // Annotations may stand anywhere inside their element, so each interface
    // is collected first and checked when it ends.
    struct PendingMethod {
        MethodInfo info;
        bool hasDispid = false;
        std::vector<PendingArg> args;
    };
    QXmlStreamReader r(xml);
    std::vector<InterfaceInfo> result;
    InterfaceInfo itf;
    std::vector<PendingMethod> methods;
    bool inInterface = false, inMethod = false, inArg = false, annotated = false;

    auto finishInterface = [&]() {
        for (auto& m : methods) {
            if (!m.hasDispid) {
                *error = QStringLiteral("%1: a method needs a dispid")
                             .arg(QString::fromStdString(m.info.name));
                return false;
            }
            bool sawResult = false;
            for (const auto& a : m.args)
                if (!FinishArg(a, m.info, sawResult, error))
                    return false;
            if (!sawResult) {
                *error = QStringLiteral("%1: a method returns an HRESULT")
                             .arg(QString::fromStdString(m.info.name));
                return false;
            }
            if (itf.FindDispid(m.info.dispid)) {
                *error = QStringLiteral("%1: dispid %2 used twice")
                             .arg(QString::fromStdString(m.info.name))
                             .arg(m.info.dispid);
                return false;
            }
            itf.methods.push_back(std::move(m.info));
        }
        result.push_back(std::move(itf));
        return true;
    };

    while (!r.atEnd()) {
        auto token = r.readNext();
        if (token == QXmlStreamReader::StartElement) {
            auto attrs = r.attributes();
            QStringView name = r.name();
            if (name == QLatin1String("interface")) {
                itf = InterfaceInfo{};
                methods.clear();
                itf.busName = attrs.value(QLatin1String("name")).toString().toStdString();
                itf.name = itf.busName.substr(itf.busName.rfind('.') + 1);
                inInterface = true;
                annotated = false;
            } else if (name == QLatin1String("method") && inInterface) {
                methods.emplace_back();
                methods.back().info.name =
                    attrs.value(QLatin1String("name")).toString().toStdString();
                inMethod = true;
            } else if (name == QLatin1String("arg") && inMethod) {
                methods.back().args.push_back(
                    PendingArg{attrs.value(QLatin1String("name")).toString(),
                               attrs.value(QLatin1String("type")).toString(),
                               attrs.value(QLatin1String("direction")).toString(),
                               {},
                               {}});
                inArg = true;
            } else if (name == QLatin1String("annotation")) {
                QString key = attrs.value(QLatin1String("name")).toString();
                QString value = attrs.value(QLatin1String("value")).toString();
                if (inArg) {
                    auto& a = methods.back().args.back();
                    if (key == Annotation("Type"))
                        a.idlType = value;
                    if (key == Annotation("ParamFlags"))
                        a.flags = value;
                } else if (inMethod) {
                    auto& m = methods.back();
                    if (key == Annotation("DispId")) {
                        bool ok = false;
                        m.info.dispid = value.toInt(&ok);
                        if (!ok) {
                            *error = QStringLiteral("%1: bad dispid \"%2\"")
                                         .arg(QString::fromStdString(m.info.name), value);
                            return false;
                        }
                        m.hasDispid = true;
                    }
                    if (key == Annotation("HelpString"))
                        m.info.help = value.toStdString();
                } else if (inInterface) {
                    if (key == Annotation("Uuid")) {
                        auto iid = GUID::Parse(value.toStdString());
                        if (!iid) {
                            *error = QStringLiteral("%1: bad uuid \"%2\"")
                                         .arg(QString::fromStdString(itf.busName), value);
                            return false;
                        }
                        itf.iid = *iid;
                        annotated = true;
                    }
                    if (key == Annotation("HelpString"))
                        itf.help = value.toStdString();
                }
            }
        } else if (token == QXmlStreamReader::EndElement) {
            QStringView name = r.name();
            if (name == QLatin1String("arg")) {
                inArg = false;
            } else if (name == QLatin1String("method")) {
                inMethod = false;
            } else if (name == QLatin1String("interface") && inInterface) {
                inInterface = false;
                if (annotated && !finishInterface())
                    return false;
            }
        }
    }
    if (r.hasError()) {
        *error =
            QStringLiteral("XML error at line %1: %2").arg(r.lineNumber()).arg(r.errorString());
        return false;
    }
    out = std::move(result);
    return true;
}

}  // namespace qx::bus
