#pragma once
// The type library of a server on the bus: its interface XML (introspection
// data) with annotations that say what a type library says. On an interface:
// "com.quorvia.Automation.Uuid" (the IID) and "com.quorvia.Automation.HelpString";
// on a method: "com.quorvia.Automation.DispId" and "...HelpString"; on an
// argument: "com.quorvia.Automation.Type" (the IDL type: BSTR, long, int,
// VARIANT*, int*, or HRESULT for the leading "hresult" out value) and
// "com.quorvia.Automation.ParamFlags" (in, out, "out,retval", none).
// Interfaces without a Uuid annotation (the bus's standard ones, the object's
// own Release) are not automation interfaces and are skipped.

#include <QString>

#include <vector>

#include "platform/com/TypeInfo.h"

namespace qx::bus {

inline constexpr const char* kAnnotationPrefix = "com.quorvia.Automation.";

// Parses every annotated interface of an introspection document (a <node> or
// a bare sequence of <interface> elements). False with a reason when the XML
// is malformed or an annotated interface is incomplete or inconsistent (a
// method without dispid, an argument whose bus type does not fit its IDL type).
bool ParseTypeLibrary(const QString& xml, std::vector<InterfaceInfo>& out, QString* error);

// The bus signature of a parameter type ("s", "i", "(qv)"), without direction.
QString BusSignature(VARTYPE type);
// The concatenated signatures of a method's in-parameters, and of its reply
// (the "i" of the HRESULT first, then the out values).
QString InSignature(const MethodInfo& m);
QString ReplySignature(const MethodInfo& m);

}  // namespace qx::bus
