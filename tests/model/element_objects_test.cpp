// The element value objects: scalars, composites with their iterator, the
// callback base, and the way the printer summary table embeds them.

#include <gtest/gtest.h>

#include "model/MyComp.h"
#include "model/MyScalar.h"
#include "platform/com/ComPtr.h"

using namespace qx;

namespace {

int32_t IdOf(IUnknown* unknown) {
    ComPtr<IDSE_ELEMENT> element;
    EXPECT_EQ(unknown->QueryInterface(IID_IDSE_ELEMENT, element.OutVoid()), S_OK);
    int32_t id = 0;
    element->GetElementId(&id);
    return id;
}

// The printer summary table's use: both objects embedded, the scalar holding
// the address as element 999 inside the composite.
struct SummaryTableElements {
    CMyComp composite;
    CMyScalar scalar;
};

}  // namespace

TEST(MyScalar, HoldsAValueOfItsOwn) {
    CMyScalar scalar;
    VARIANT empty;
    VariantInit(&empty);
    EXPECT_EQ(scalar.GetValue(&empty), S_OK);
    EXPECT_EQ(empty.vt, VT_EMPTY) << "no value yet";

    {
        Variant address("10.1.2.3");
        EXPECT_EQ(scalar.SetValue(address.Get()), S_OK);
    }  // the caller's string is gone; the scalar's copy is not
    Variant out;
    EXPECT_EQ(scalar.GetValue(out.Get()), S_OK);
    ASSERT_EQ(out->vt, VT_BSTR);
    EXPECT_EQ(Utf8FromBstr(out->bstrVal), "10.1.2.3");
    Variant second;
    scalar.GetValue(second.Get());
    EXPECT_NE(second->bstrVal, out->bstrVal) << "each caller gets a copy to clear";
    EXPECT_EQ(scalar.SetValue(nullptr), E_POINTER);
}

TEST(MyComp, IteratesItsChildrenOnePerCall) {
    CMyComp composite;
    CMyScalar first, second, third;
    first.SetElementId(999);
    second.SetElementId(1053);
    third.SetElementId(999);
    ComPtr<IDSE_EP_ITERATOR> iterator;
    ASSERT_EQ(composite.GetIterator(iterator.Out()), S_OK);
    IDSE_ELEMENT* found = &first;
    EXPECT_EQ(iterator->FindElement(999, &found), S_FALSE) << "an empty composite";
    EXPECT_EQ(found, nullptr);
    Variant item;
    EXPECT_EQ(iterator->Next(1, item.Get(), nullptr), S_OK);
    EXPECT_EQ(item->vt, VT_EMPTY);

    composite.AddElement(&first);
    composite.AddElement(&second);
    composite.AddElement(&third);
    ASSERT_EQ(iterator->FindElement(999, &found), S_OK);
    EXPECT_EQ(found, static_cast<IDSE_ELEMENT*>(&first)) << "the first child with the id";
    found->Release();
    ASSERT_EQ(iterator->FindElement(1053, &found), S_OK);
    EXPECT_EQ(found, static_cast<IDSE_ELEMENT*>(&second));
    found->Release();

    iterator->Reset();
    std::vector<int32_t> ids;
    for (int i = 0; i < 5; ++i) {
        Variant v;
        ULONG fetched = 9;
        EXPECT_EQ(iterator->Next(3, v.Get(), &fetched), S_OK) << "the count asked is not looked at";
        if (v->vt == VT_UNKNOWN) {
            EXPECT_EQ(fetched, 1u);
            ids.push_back(IdOf(v->punkVal));
        } else {
            EXPECT_EQ(v->vt, VT_EMPTY) << "past the last child, again and again";
            EXPECT_EQ(fetched, 0u);
        }
    }
    EXPECT_EQ(ids, (std::vector<int32_t>{999, 1053, 999}));

    iterator->Reset();
    EXPECT_EQ(iterator->Skip(1), S_OK);
    Variant v;
    iterator->Next(1, v.Get(), nullptr);
    ASSERT_EQ(v->vt, VT_UNKNOWN);
    EXPECT_EQ(v->punkVal, static_cast<IUnknown*>(static_cast<IDSE_SCALAR*>(&second)));
    iterator->Skip(100);
    v.Clear();
    iterator->Next(1, v.Get(), nullptr);
    EXPECT_EQ(v->vt, VT_EMPTY);

    IEnumVARIANT* clone = reinterpret_cast<IEnumVARIANT*>(&first);
    EXPECT_EQ(iterator->Clone(&clone), S_OK);
    EXPECT_EQ(clone, nullptr);

    // The iterator part and the composite are one object.
    ComPtr<IDSE_COMPOSITE> back;
    EXPECT_EQ(iterator->QueryInterface(IID_IDSE_COMPOSITE, back.OutVoid()), S_OK);
    EXPECT_EQ(back.Get(), static_cast<IDSE_COMPOSITE*>(&composite));
}

TEST(MyComp, EmbeddedElementsSurviveTheReferencesHandedOut) {
    SummaryTableElements table;
    Variant address("127.0.0.2");
    table.scalar.SetElementId(999);
    table.scalar.SetValue(address.Get());
    table.composite.AddElement(&table.scalar);

    for (int round = 0; round < 3; ++round) {
        ComPtr<IDSE_EP_ITERATOR> iterator;
        table.composite.GetIterator(iterator.Out());
        iterator->Reset();
        Variant child;
        iterator->Next(1, child.Get(), nullptr);
        ASSERT_EQ(child->vt, VT_UNKNOWN);
        ComPtr<IDSE_SCALAR> scalar;
        ASSERT_EQ(child->punkVal->QueryInterface(IID_IDSE_SCALAR, scalar.OutVoid()), S_OK);
        Variant value;
        scalar->GetValue(value.Get());
        EXPECT_EQ(Utf8FromBstr(value->bstrVal), "127.0.0.2");
    }  // every reference given back; the embedded objects are still whole
    int32_t id = 0;
    EXPECT_EQ(table.scalar.GetElementId(&id), S_OK);
    EXPECT_EQ(id, 999);
}
