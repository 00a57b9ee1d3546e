#pragma once
// A VARIANT on the bus: the struct (qv), the VT code and then the value, so
// that nothing is lost on the way. VT_EMPTY and VT_NULL carry the byte 0;
// VT_I2 and VT_BOOL an int16 exactly as stored (a VT_BOOL holding 1 stays 1);
// VT_I4, VT_INT and VT_ERROR an int32; VT_BSTR the array of its UTF-16 code
// units (aq), so texts with embedded zeros ("packed" texts) survive. Other
// types (interfaces, references) do not travel.

#include <QDBusArgument>
#include <QString>

#include "platform/com/Variant.h"

namespace qx::bus {

struct WireVariant {
    Variant value;
    // Set by demarshalling when the bus value was not a valid (qv).
    QString error;
};

// Whether a VARIANT of this type can travel.
bool IsWireType(VARTYPE vt);

// Registers WireVariant with the bus type system; call once before use (safe
// to call again).
void RegisterWireTypes();

// The (qv) argument for a VARIANT; false (and nothing appended) for a type
// that cannot travel.
bool EncodeVariant(const VARIANT& v, QVariant& out);
// Reads a (qv) message argument into *out (cleared first). False with a reason
// for anything that is not a valid (qv): wrong signature, unknown VT code, or
// a value whose type does not belong to the code.
bool DecodeVariant(const QVariant& arg, VARIANT* out, QString* error);

}  // namespace qx::bus

QDBusArgument& operator<<(QDBusArgument& arg, const qx::bus::WireVariant& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, qx::bus::WireVariant& v);

Q_DECLARE_METATYPE(qx::bus::WireVariant)
