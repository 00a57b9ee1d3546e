#pragma once
// The server's registration data: the object table (the three classes in
// registration order, with the registry script of each), the AppID and the
// type library. GUID texts are kept exactly as the registry receives them.

#include "platform/com/Unknown.h"

namespace qx {

using ObjectCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

struct ObjectTableRow {
    const CLSID* clsid;
    const char* clsidText;
    int scriptId;
    const char* progIdStem;  // the version-independent ProgID; ".1" is the versioned one
    const char* className;   // "DseTendraKORVALEN Class"
    const IID* iid;          // the class's interface
    const char* iidText;
    const char* interfaceName;
    ObjectCreator create;
};

constexpr int kObjectTableRows = 3;
extern const ObjectTableRow kObjectTable[kObjectTableRows];

inline constexpr const char* kModuleName = "KORVALENMISvr";
inline constexpr const char* kProgramFileName =
    "AL1MISvr.EXE";  // the file name entry of the version resource
inline constexpr const char* kAppIdText = "{83FAAC57-2F56-4652-866D-E486522C4F8D}";
inline constexpr int kAppIdScript = 100;

inline constexpr const char* kLibIdText = "{21BADE02-6A6A-4768-B2ED-66FFDCC99396}";
inline constexpr const char* kTypeLibName = "KORVALENMISVRLib";
inline constexpr const char* kTypeLibHelp = "KORVALENMISvr 1.0 Type Library";
inline constexpr const char* kTypeLibVersion = "1.0";
inline constexpr unsigned kTypeLibLcid = 1033;

// The version resource.
inline constexpr const char* kFileVersion = "1.8.49.1";
inline constexpr const char* kFileDescription = "KORVALENMISvr Module";

// The row of a CLSID, or null.
const ObjectTableRow* FindObjectRow(REFCLSID clsid);

}  // namespace qx
