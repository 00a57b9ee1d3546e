#pragma once
// IDispatch for dual interfaces: a table of dispids and names, each bound to a
// member function of the interface. Invoke converts the DISPPARAMS (last
// argument first) to the member's parameter types as the type library's
// standard dispatch does: in-values are coerced with VariantChangeType,
// pointers must come as VT_BYREF references, and a trailing [out, retval]
// VARIANT* that the caller leaves out goes to the result.

#include <cctype>
#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "Bstr.h"
#include "Unknown.h"
#include "Variant.h"

namespace qx {

template <class Itf>
struct DispatchMember {
    DISPID dispid;
    const char* name;
    HRESULT (*invoke)(Itf* self, DISPPARAMS* params, VARIANT* result, bool hasRetval);
    bool hasRetval = false;  // the last parameter is [out, retval]
};

namespace dispatch_detail {

// Holds the converted value of one argument for the duration of the call.
template <class T>
struct Arg;

template <>
struct Arg<BSTR> {
    BSTR borrowed = nullptr;
    Variant coerced;
    HRESULT From(VARIANTARG& v, VARIANT*) {
        if (v.vt == VT_BSTR) {
            borrowed = v.bstrVal;
            return S_OK;
        }
        HRESULT hr = VariantChangeType(coerced.Get(), &v, 0, VT_BSTR);
        borrowed = coerced->bstrVal;
        return hr;
    }
    BSTR Get() { return borrowed; }
};

template <class N, VARTYPE kVt>
struct IntegerArg {
    Variant coerced;
    HRESULT From(VARIANTARG& v, VARIANT*) { return VariantChangeType(coerced.Get(), &v, 0, kVt); }
    N Get() { return static_cast<N>(kVt == VT_I2 ? coerced->iVal : coerced->lVal); }
};
template <>
struct Arg<int32_t> : IntegerArg<int32_t, VT_I4> {};
template <>
struct Arg<int16_t> : IntegerArg<int16_t, VT_I2> {};

template <>
struct Arg<VARIANT*> {
    VARIANT* p = nullptr;
    HRESULT From(VARIANTARG& v, VARIANT*) {
        if (v.vt != (VT_BYREF | VT_VARIANT) || !v.pvarVal)
            return DISP_E_TYPEMISMATCH;
        p = v.pvarVal;
        return S_OK;
    }
    VARIANT* Get() { return p; }
};

template <>
struct Arg<int32_t*> {
    int32_t* p = nullptr;
    HRESULT From(VARIANTARG& v, VARIANT*) {
        if ((v.vt != (VT_BYREF | VT_I4) && v.vt != (VT_BYREF | VT_INT)) || !v.plVal)
            return DISP_E_TYPEMISMATCH;
        p = v.plVal;
        return S_OK;
    }
    int32_t* Get() { return p; }
};

template <class C, class... A, size_t... I>
HRESULT Call(C* self, HRESULT (C::*method)(A...), DISPPARAMS* params, VARIANT* result,
             bool hasRetval, std::index_sequence<I...>) {
    constexpr size_t n = sizeof...(A);
    if (!params)
        return E_INVALIDARG;
    if (params->cNamedArgs != 0)
        return DISP_E_NONAMEDARGS;
    size_t given = params->cArgs;
    // The last VARIANT* is the [retval] when the caller left it out.
    bool retvalFromResult = false;
    if constexpr (n > 0) {
        using Last = std::tuple_element_t<n - 1, std::tuple<A...>>;
        retvalFromResult = hasRetval && std::is_same_v<Last, VARIANT*> && given + 1 == n;
    }
    if (given != n && !retvalFromResult)
        return DISP_E_BADPARAMCOUNT;

    VARIANT scratch;
    VariantInit(&scratch);
    std::tuple<Arg<A>...> args;
    HRESULT hr = S_OK;
    auto convert = [&](auto& arg, size_t index) {
        if (FAILED(hr))
            return;
        if (index == given) {  // the [retval] left out
            VARIANT* target = result ? result : &scratch;
            VariantInit(target);
            VARIANT ref;
            VariantInit(&ref);
            ref.vt = VT_BYREF | VT_VARIANT;
            ref.pvarVal = target;
            hr = arg.From(ref, nullptr);
            return;
        }
        hr = arg.From(params->rgvarg[given - 1 - index], result);
    };
    (convert(std::get<I>(args), I), ...);
    (void)convert;
    if (FAILED(hr))
        return hr;
    hr = (self->*method)(std::get<I>(args).Get()...);
    VariantClear(&scratch);
    return hr;
}

}  // namespace dispatch_detail

// The invoker of one member function: DispatchMember{1, "Name", DispatchTo<&Itf::Name>}
// (add true for a method whose last parameter is [out, retval]).
template <auto Method>
struct MemberInvoker;

template <class C, class... A, HRESULT (C::*Method)(A...)>
struct MemberInvoker<Method> {
    static HRESULT Invoke(C* self, DISPPARAMS* params, VARIANT* result, bool hasRetval) {
        return dispatch_detail::Call(self, Method, params, result, hasRetval,
                                     std::index_sequence_for<A...>{});
    }
};

template <auto Method>
constexpr auto DispatchTo = &MemberInvoker<Method>::Invoke;

// GetIDsOfNames and Invoke over a table.
template <class Itf, size_t N>
HRESULT TableGetIDsOfNames(const DispatchMember<Itf> (&table)[N], const OLECHAR* const* names,
                           uint32_t count, DISPID* ids) {
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    std::string wanted = Utf8FromUtf16(std::u16string_view(names[0] ? names[0] : u""));
    HRESULT hr = DISP_E_UNKNOWNNAME;
    ids[0] = -1;
    for (const auto& m : table) {
        std::string_view name = m.name;
        if (name.size() != wanted.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(name[i])) ==
                   std::tolower(static_cast<unsigned char>(wanted[i]));
        if (same) {
            ids[0] = m.dispid;
            hr = S_OK;
            break;
        }
    }
    // Our methods have no named parameters.
    for (uint32_t i = 1; i < count; ++i) {
        ids[i] = -1;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

template <class Itf, size_t N>
HRESULT TableInvoke(const DispatchMember<Itf> (&table)[N], Itf* self, DISPID id, uint16_t flags,
                    DISPPARAMS* params, VARIANT* result) {
    if (!(flags & DISPATCH_METHOD))
        return DISP_E_MEMBERNOTFOUND;
    for (const auto& m : table)
        if (m.dispid == id)
            return m.invoke(self, params, result, m.hasRetval);
    return DISP_E_MEMBERNOTFOUND;
}

}  // namespace qx
