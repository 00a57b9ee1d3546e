#pragma once
// What a type library says about a dual interface: its methods in order with
// their dispids, help strings and parameters (name, type, direction). The bus
// layer reads it from annotated interface XML; servers and proxies use it to
// carry calls, and tools to show them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Guid.h"
#include "Unknown.h"
#include "Variant.h"

namespace qx {

// The direction attributes of a parameter. None: the type library gives a
// pointer parameter no attribute, but the method writes through it, so it
// travels back to the caller like an out parameter.
enum class ParamFlags { In, Out, OutRetval, None };

struct ParamInfo {
    std::string name;
    // VT_BSTR, VT_I4 (long), VT_INT (int), VT_I2, VT_BOOL; pointers carry
    // VT_BYREF: VT_BYREF|VT_VARIANT (VARIANT*), VT_BYREF|VT_INT (int*), VT_BYREF|VT_I4 (long*).
    VARTYPE type = VT_EMPTY;
    ParamFlags flags = ParamFlags::In;

    bool IsOut() const { return flags != ParamFlags::In; }
};

struct MethodInfo {
    std::string name;
    DISPID dispid = 0;
    std::string help;
    std::vector<ParamInfo> params;
};

struct InterfaceInfo {
    std::string name;     // "IDseTendraKORVALEN"
    std::string busName;  // "com.quorvia.KORVALENMISvr.IDseTendraKORVALEN"
    IID iid = GUID_NULL;
    std::string help;
    std::vector<MethodInfo> methods;  // in slot order

    // By name without regard to case, as GetIDsOfNames looks names up.
    const MethodInfo* FindMethod(std::string_view methodName) const;
    const MethodInfo* FindDispid(DISPID id) const;
};

// The IDL spelling of a parameter type ("BSTR", "long", "VARIANT*") and back.
std::string TypeNameOf(VARTYPE type);
std::optional<VARTYPE> ParseTypeName(std::string_view idlType);
// "in", "out", "out,retval", "none" and back.
const char* FlagsName(ParamFlags flags);
std::optional<ParamFlags> ParseFlags(std::string_view text);

}  // namespace qx
