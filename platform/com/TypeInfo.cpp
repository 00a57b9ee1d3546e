#include "TypeInfo.h"

#include "platform/text/TextCase.h"

#include <cctype>

namespace qx {

namespace {

struct TypeName {
    VARTYPE type;
    const char* idl;
};
constexpr TypeName kTypes[] = {
    {VT_BSTR, "BSTR"},
    {VT_I4, "long"},
    {VT_INT, "int"},
    {VT_I2, "short"},
    {VT_BOOL, "VARIANT_BOOL"},
    {VT_BYREF | VT_VARIANT, "VARIANT*"},
    {VT_BYREF | VT_INT, "int*"},
    {VT_BYREF | VT_I4, "long*"},
};

}  // namespace

const MethodInfo* InterfaceInfo::FindMethod(std::string_view methodName) const {
    for (const auto& m : methods)
        if (EqualsNoCase(m.name, methodName))
            return &m;
    return nullptr;
}

const MethodInfo* InterfaceInfo::FindDispid(DISPID id) const {
    for (const auto& m : methods)
        if (m.dispid == id)
            return &m;
    return nullptr;
}

std::string TypeNameOf(VARTYPE type) {
    for (const auto& t : kTypes)
        if (t.type == type)
            return t.idl;
    return VarTypeName(type);
}

std::optional<VARTYPE> ParseTypeName(std::string_view idlType) {
    for (const auto& t : kTypes)
        if (idlType == t.idl)
            return t.type;
    return std::nullopt;
}

const char* FlagsName(ParamFlags flags) {
    switch (flags) {
        case ParamFlags::In:
            return "in";
        case ParamFlags::Out:
            return "out";
        case ParamFlags::OutRetval:
            return "out,retval";
        case ParamFlags::None:
            return "none";
    }
    return "in";
}

std::optional<ParamFlags> ParseFlags(std::string_view text) {
    for (ParamFlags f : {ParamFlags::In, ParamFlags::Out, ParamFlags::OutRetval, ParamFlags::None})
        if (text == FlagsName(f))
            return f;
    return std::nullopt;
}

}  // namespace qx
