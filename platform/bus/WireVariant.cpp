#include "WireVariant.h"

#include <QDBusMetaType>
#include <QDBusVariant>
#include <QList>

namespace qx::bus {

namespace {

// The bus signature of the value of each VT code that travels.
const char* ValueSignature(VARTYPE vt) {
    switch (vt) {
        case VT_EMPTY:
        case VT_NULL:
            return "y";
        case VT_I2:
        case VT_BOOL:
            return "n";
        case VT_I4:
        case VT_INT:
        case VT_ERROR:
            return "i";
        case VT_BSTR:
            return "aq";
        default:
            return nullptr;
    }
}

QVariant ValueOf(const VARIANT& v) {
    switch (v.vt) {
        case VT_I2:
        case VT_BOOL:
            return QVariant::fromValue(static_cast<short>(v.iVal));
        case VT_I4:
        case VT_INT:
        case VT_ERROR:
            return QVariant::fromValue(static_cast<int>(v.lVal));
        case VT_BSTR: {
            uint32_t n = SysStringLen(v.bstrVal);
            QList<ushort> units(static_cast<qsizetype>(n));
            for (uint32_t i = 0; i < n; ++i)
                units[static_cast<qsizetype>(i)] = v.bstrVal[i];
            return QVariant::fromValue(units);
        }
        default:
            return QVariant::fromValue(static_cast<uchar>(0));
    }
}

// The value's own signature: basic types arrive as themselves, arrays as a
// QDBusArgument still to be read.
QString SignatureOf(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return value.value<QDBusArgument>().currentSignature();
    const char* s = QDBusMetaType::typeToSignature(value.metaType());
    return s ? QString::fromLatin1(s) : QString();
}

bool Fill(VARTYPE vt, const QVariant& value, VARIANT* out, QString* error) {
    const char* expected = ValueSignature(vt);
    if (!expected) {
        *error = QStringLiteral("VT code %1 cannot travel").arg(vt);
        return false;
    }
    QString actual = SignatureOf(value);
    if (actual != QLatin1String(expected)) {
        *error = QStringLiteral("VT code %1 needs a value of type %2, not %3")
                     .arg(vt)
                     .arg(expected, actual);
        return false;
    }
    VariantInit(out);
    out->vt = vt;
    switch (vt) {
        case VT_EMPTY:
        case VT_NULL:
            break;
        case VT_I2:
        case VT_BOOL:
            out->iVal = static_cast<int16_t>(value.value<short>());
            break;
        case VT_I4:
        case VT_INT:
        case VT_ERROR:
            out->lVal = value.value<int>();
            break;
        case VT_BSTR: {
            QList<ushort> units;
            if (value.metaType() == QMetaType::fromType<QDBusArgument>())
                value.value<QDBusArgument>() >> units;
            else
                units = value.value<QList<ushort>>();
            out->bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(units.constData()),
                                             static_cast<uint32_t>(units.size()));
            if (!out->bstrVal) {
                VariantInit(out);
                *error = QStringLiteral("out of memory");
                return false;
            }
            break;
        }
    }
    return true;
}

}  // namespace

bool IsWireType(VARTYPE vt) {
    return ValueSignature(vt) != nullptr;
}

void RegisterWireTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<WireVariant>();
        qDBusRegisterMetaType<QList<ushort>>();
        return true;
    }();
    (void)registered;
}

bool EncodeVariant(const VARIANT& v, QVariant& out) {
    if (!IsWireType(v.vt))
        return false;
    RegisterWireTypes();
    WireVariant w;
    VariantCopy(w.value.Get(), &v);
    out = QVariant::fromValue(w);
    return true;
}

bool DecodeVariant(const QVariant& arg, VARIANT* out, QString* error) {
    QString ignored;
    if (!error)
        error = &ignored;
    VariantClear(out);
    if (arg.metaType() == QMetaType::fromType<WireVariant>()) {
        auto w = arg.value<WireVariant>();
        if (!w.error.isEmpty()) {
            *error = w.error;
            return false;
        }
        return SUCCEEDED(VariantCopy(out, w.value.Get()));
    }
    if (arg.metaType() != QMetaType::fromType<QDBusArgument>()) {
        *error = QStringLiteral("not a (qv) structure");
        return false;
    }
    auto dbusArg = arg.value<QDBusArgument>();
    if (dbusArg.currentSignature() != QLatin1String("(qv)")) {
        *error = QStringLiteral("a VARIANT is (qv), not %1").arg(dbusArg.currentSignature());
        return false;
    }
    WireVariant w;
    dbusArg >> w;
    if (!w.error.isEmpty()) {
        *error = w.error;
        return false;
    }
    return SUCCEEDED(VariantCopy(out, w.value.Get()));
}

}  // namespace qx::bus

QDBusArgument& operator<<(QDBusArgument& arg, const qx::bus::WireVariant& v) {
    arg.beginStructure();
    arg << static_cast<ushort>(v.value->vt) << QDBusVariant(qx::bus::ValueOf(*v.value.Get()));
    arg.endStructure();
    return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, qx::bus::WireVariant& v) {
    ushort vt = 0;
    QDBusVariant value;
    arg.beginStructure();
    arg >> vt >> value;
    arg.endStructure();
    v.value.Clear();
    v.error.clear();
    qx::bus::Fill(vt, value.variant(), v.value.Get(), &v.error);
    return arg;
}
