#include "PrinterConfigTables.h"

#include <vector>

#include "platform/text/TextCase.h"

namespace qx {

FamilyGroup FamilyGroupOf(int32_t nFamilyCode) {
    switch (nFamilyCode) {
        case 3:
        case 6:
        case 7:
        case 8:
        case 13:
            return FamilyGroup::A;
        case 2:
            return FamilyGroup::B;
        default:
            return FamilyGroup::Other;
    }
}

CodeText FinisherOf(int32_t nDeviceCode) {
    switch (nDeviceCode) {
        case 0:
            return {0, 45};
        case 2:
            return {5, 47};
        case 3:
        case 4:
            return {4, 47};
        case 31:
            return {1, 46};
        case 33:
            return {3, 48};
        case 34:
            return {6, 47};
        default:
            return {2, 47};
    }
}

CodeText PedestalOf(int32_t nDeviceCode) {
    switch (nDeviceCode) {
        case 3:
            return {1, 42};
        case 4:
            return {2, 43};
        case 5:
            return {3, 44};
        default:
            break;
    }
    if (nDeviceCode >= 6 && nDeviceCode <= 13)
        return {nDeviceCode - 2, 0};
    return {0, 41};
}

CodeText PunchOf(int32_t nDeviceCode) {
    if (nDeviceCode >= 3 && nDeviceCode <= 6)
        return {nDeviceCode - 2, static_cast<uint32_t>(46 + nDeviceCode)};
    return {0, 45};
}

int32_t GroupBFinisherType(int32_t nDeviceCode) {
    if (nDeviceCode == 0)
        return 0;
    return nDeviceCode == 21 ? 1 : 2;
}

int32_t GroupBPunchCode(int32_t nDeviceCode) {
    return nDeviceCode >= 3 && nDeviceCode <= 6 ? nDeviceCode - 2 : 0;
}

int32_t GroupAModelCode(std::string_view strModel) {
    return FoldName(strModel).find(FoldName("a-LUMERA38")) != std::string::npos ? 1 : 2;
}

int32_t GroupBModelCode(std::string_view strModel) {
    // UTF-8 never has a character's trailing bytes look like digits, so a
    // byte search is a multibyte-aware search.
    if (strModel.find("65") != std::string_view::npos)
        return 3;
    if (strModel.find("55") != std::string_view::npos)
        return 2;
    if (strModel.find("45") != std::string_view::npos)
        return 1;
    if (strModel.find("80") != std::string_view::npos)
        return 4;
    return 3;
}

int32_t MediaCodeOf(int32_t nDeviceMediaType) {
    switch (nDeviceMediaType) {
        case 3:
        case 10:
            return 3;
        case 4:
            return 9;
        case 5:
            return 8;
        case 6:
            return 5;
        case 7:
            return 6;
        case 8:
            return 2;
        case 11:
            return 7;
        case 12:
            return 1;
        case 106:
            return 4;
        case 107:
            return 107;
        case 108:
            return 108;
        default:
            break;
    }
    if (nDeviceMediaType >= 100 && nDeviceMediaType <= 105)
        return nDeviceMediaType;
    return 0;
}

int32_t LocaleDefaultPaperCode(LANGID userLanguage) {
    const LANGID primary = PrimaryLangId(userLanguage), sub = SubLangId(userLanguage);
    if (primary == LANG_ENGLISH && (sub == 1 || sub == 4))
        return 0;
    if (primary == LANG_FRENCH && sub == 3)
        return 0;
    return 2;
}

int32_t PaperCodeOf(int32_t nDevicePaperSize, int32_t nLocation, LANGID userLanguage) {
    // Device codes 3 to 23, in order.
    static constexpr int32_t kCodes[] = {6,  4,  1, 0,  13, 5,  8,  3,  -1, 9, 10,
                                         12, -1, 7, 15, 14, 19, 18, 17, 16, 23};
    if (nDevicePaperSize < 3 || nDevicePaperSize > 23)
        return LocaleDefaultPaperCode(userLanguage);
    if (nDevicePaperSize == 11)
        return nLocation == 13 ? 1 : 2;
    if (nDevicePaperSize == 15)
        return nLocation == 13 ? 2 : 11;
    return kCodes[nDevicePaperSize - 3];
}

uint32_t MediaTextId(int32_t nMediaCode) {
    switch (nMediaCode) {
        case 3:
            return 361;
        case 4:
            return 362;
        case 5:
            return 363;
        case 6:
            return 364;
        case 7:
            return 365;
        case 8:
            return 366;
        case 10:
            return 88;
        case 11:
            return 89;
        case 12:
            return 90;
        case 100:
            return 53;
        case 101:
            return 54;
        case 102:
            return 97;
        case 103:
            return 96;
        case 104:
            return 95;
        case 105:
            return 307;
        case 106:
            return 308;
        case 107:
            return 309;
        default:
            return 360;
    }
}

uint32_t PaperTextId(int32_t nPaperCode) {
    switch (nPaperCode) {
        case 3:
        case 4:
            return 351;
        case 7:
            return 358;
        case 8:
            return 354;
        case 9:
            return 353;
        case 10:
        case 11:
            return 349;
        case 12:
            return 352;
        case 13:
            return 356;
        case 14:
        case 15:
            return 357;
        case 16:
            return 355;
        case 17:
            return 434;
        case 18:
            return 359;
        case 19:
            return 367;
        case 20:
            return 368;
        case 21:
        case 22:
            return 369;
        case 23:
            return 370;
        default:
            return 433;
    }
}

int SlotOfLocation(int32_t nLocation) {
    for (int slot = 0; slot < kConfigSlotCount; ++slot)
        if (kConfigLocations[slot] == nLocation)
            return slot;
    return nLocation == DSE_QX2SNMP_INPUTLOCATION_SFB ? kSlotNotImplemented : kSlotInvalid;
}

BSTR PackedText(std::string_view text) {
    // The text's bytes and its terminating zero, made even.
    std::vector<unsigned char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    if (bytes.size() % 2)
        bytes.push_back(0);
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return SysAllocStringLen(units.data(), static_cast<uint32_t>(units.size()));
}

std::string UnpackedText(BSTR packed) {
    std::string text;
    const uint32_t n = SysStringLen(packed);
    for (uint32_t i = 0; i < n; ++i) {
        for (unsigned char byte : {packed[i] & 0xff, packed[i] >> 8}) {
            if (byte == 0)
                return text;
            text.push_back(static_cast<char>(byte));
        }
    }
    return text;
}

}  // namespace qx
