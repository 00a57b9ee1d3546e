#pragma once
// The management component's interface: element values of devices by
// element id. A dual interface; its methods are declared in slot order and
// reached through IDispatch::Invoke by the DISPIDs below (the discovery
// dialogs call them that way). Every method returns an HRESULT.

#include <cstdint>

#include "platform/com/Unknown.h"

// The class of this system's own management component (MgtComponent.h) and
// its interface.
constexpr CLSID CLSID_mgt = MakeGuid("B85BD762-5977-4145-BE4F-CB8472E1A32A");
constexpr IID IID_Imgt = MakeGuid("90E4432B-A2D7-4F6D-AAB4-85C5C29B026F");

enum ImgtDispId : DISPID {
    DISPID_MGT_SELECTDEVICE = 1,
    DISPID_MGT_METHOD2 = 2,
    DISPID_MGT_GETELEMENT = 3,
    DISPID_MGT_METHOD4 = 4,
    DISPID_MGT_SETELEMENT = 5,
    DISPID_MGT_METHOD6 = 6,
    DISPID_MGT_GETROWCOUNT = 7,
};

// Elements of a device that the component's discovery reported, read by
// its handle (getElement's index): address and location texts, icon value,
// type text (the model as the component knows it, or the sysObjectID).
inline constexpr int32_t EID_MGT_DEVICE_LOCATION = 0x18007;
inline constexpr int32_t EID_MGT_DEVICE_ADDRESS = 0x1800a;
inline constexpr int32_t EID_MGT_DEVICE_ICON = 0x18010;
inline constexpr int32_t EID_MGT_DEVICE_TYPE = 0x18011;
// setElement(EID_MGT_DISCOVERY_FAMILY, 0, VT_I4 family): whose remembered
// addresses the next discovery checks (1 Korvalen, other Orven; 1 until set).
inline constexpr int32_t EID_MGT_DISCOVERY_FAMILY = 0x18001;

// The codes of the component's event (DISPID 1): code 0 reports a device
// whose handle is the VT_I4 data, code 4 the end of a discovery.
inline constexpr int32_t DISCOVER_QUORVIA = 0;
inline constexpr int32_t DISCOVER_FINISHED = 4;

struct Imgt : IDispatch {
    // (mode, device): mode 0 selects the device handle, mode 1 the unit of
    // the selected device (0 the device at the address, n its n-th tandem
    // partner), or confirms the selection of a discovered device d with
    // (0, d) then (1, d); device -1 drops the selection, and (0, -1) starts
    // the component's discovery as well.
    virtual HRESULT SelectDevice(int32_t mode, int32_t device) = 0;  // slot 7, DISPID 1
    virtual HRESULT Method2(int32_t, VARIANT*) = 0;                  // slot 8, DISPID 2
    // The value of an element for the selected device: VT_I4 or VT_BSTR.
    virtual HRESULT getElement(int32_t elementId, int32_t index,
                               VARIANT* value) = 0;                      // slot 9, DISPID 3
    virtual HRESULT Method4(int32_t, int32_t) = 0;                       // slot 10, DISPID 4
    virtual HRESULT getRowCount(int32_t elementId, int32_t* count) = 0;  // slot 11, DISPID 7
    virtual HRESULT setElement(int32_t elementId, int32_t index,
                               VARIANT* value) = 0;           // slot 12, DISPID 5
    virtual HRESULT Method6(int32_t, int32_t, VARIANT*) = 0;  // slot 13, DISPID 6

  protected:
    ~Imgt() = default;
};
