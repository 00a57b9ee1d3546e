#pragma once
// The printer configuration object's conversions: the device's own codes for
// finisher, pedestal, hole punch, media type and paper size into the codes of
// the driver's interface and the language strings of their texts, the model
// codes, the drawers' slots, and the "packed" texts that the driver reads as
// ANSI strings from a BSTR's memory.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/Bstr.h"
#include "platform/system/UserDefaults.h"

namespace qx {

// How InitPrinter treats a family code: group A (the a-LUMERA devices) reads
// everything, group B only model, finisher type, punch code and drawers,
// others only the drawers that every group has.
enum class FamilyGroup { A, B, Other };
FamilyGroup FamilyGroupOf(int32_t nFamilyCode);

// A code of the interface and the language string of its text; id 0 means
// that the code has no text of its own.
struct CodeText {
    int32_t nCode;
    uint32_t nStringId;
    friend bool operator==(const CodeText&, const CodeText&) = default;
};

CodeText FinisherOf(int32_t nDeviceCode);  // group A
CodeText PedestalOf(int32_t nDeviceCode);  // group A; codes 6 to 13 have no text
CodeText PunchOf(int32_t nDeviceCode);     // group A
int32_t GroupBFinisherType(int32_t nDeviceCode);
int32_t GroupBPunchCode(int32_t nDeviceCode);

// Group A: 1 for the a-LUMERA38 models, 2 for the others. The summary table
// keeps model texts in upper case, so the name is looked for without regard
// to case.
int32_t GroupAModelCode(std::string_view strModel);
// Group B: by the digits in the model name, "65" before "55", "45", "80".
int32_t GroupBModelCode(std::string_view strModel);

int32_t MediaCodeOf(int32_t nDeviceMediaType);
// The paper code of a drawer at a location; codes outside the table give the
// user's locale default (0 for English of the United States or Canada and
// French of Canada, else 2).
int32_t PaperCodeOf(int32_t nDevicePaperSize, int32_t nLocation, LANGID userLanguage);
int32_t LocaleDefaultPaperCode(LANGID userLanguage);

uint32_t MediaTextId(int32_t nMediaCode);
uint32_t PaperTextId(int32_t nPaperCode);

// The drawers that the object keeps, by input location.
inline constexpr int32_t kConfigLocations[] = {3, 4, 5, 8, 9, 13, 15};
inline constexpr int kConfigSlotCount = 7;
// The bypass feeder, which the object does not serve.
inline constexpr int32_t DSE_QX2SNMP_INPUTLOCATION_SFB = 14;
// The slot of a location: 0 to 6, kSlotNotImplemented for the bypass feeder,
// kSlotInvalid for any other location.
inline constexpr int kSlotNotImplemented = -1;
inline constexpr int kSlotInvalid = -2;
int SlotOfLocation(int32_t nLocation);

// The text's bytes two to a UTF-16 unit (first byte in the low half), then
// its terminating zero, and one more zero byte when that count is odd.
BSTR PackedText(std::string_view text);
// The zero-terminated byte string in a packed BSTR's units.
std::string UnpackedText(BSTR packed);

}  // namespace qx
