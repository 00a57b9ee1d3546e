#include "Settings.h"

#include <cstring>

#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"

namespace qx {

namespace {
constexpr uint32_t kMinus1 = 0xFFFFFFFF;
}

const SettingEntry kSettingsTable[] = {
    {1, "TendraRefresh", 30000},
    {2, "JobsViewRefresh", 10000},
    {3, "SummaryViewRefresh", 60000},
    {4, "StartUp", 1},
    {5, "NotifyOnJobComplete", 1},
    {6, "NotifyOnJobPrivateHeld", 1},
    {7, "NotifyOnJobProofHeld", 1},
    {8, "NotifyOnJobFaxComplete", 1},
    {9, "NotifyOnJobCancelled", 1},
    {10, "NotifyOnJobUnserviceable", 1},
    {11, "NotifyOnJobFaxFailed", 1},
    {12, "NotifyOnJobInvalidHeld", 1},
    {13, "NotifyOnPrinterPaperJam", 1},
    {14, "NotifyOnPrinterOffline", 1},
    {15, "NotifyOnPrinterPaperEmpty", 1},
    {16, "NotifyOnPrinterPaperFull", 1},
    {17, "NotifyOnPrinterCoverOpen", 1},
    {18, "NotifyOnPrinterRequiresAttn", 1},
    {19, "NotifyOnPrinterTonerLow", 1},
    {20, "NotifyOnPrinterTonerEmpty", 1},
    {21, "NotifyOnPrinterWasteTonerFull", 1},
    {22, "SubmissionTimeOutInMinutes", 10},
    {23, "TendraEnabled", 1},
    {24, "NotifyByPopup", 1},
    {25, "NotifyByAudio", 0},
    {26, "DebugCriticalSections", 0},
    {27, "PrinterInfoPosX", kMinus1},
    {28, "PrinterInfoPosY", kMinus1},
    {29, "PrinterInfoWidth", 0},
    {30, "PrinterInfoHeight", 0},
    {31, "SnapAllColumns", 0},
    {32, "GodMode", 0},
    {33, "AutoSummaryResize", 1},
    {34, "UseFuzzyColumnDefaults", 1},
    {35, "CurrentJobsCol0", kMinus1},
    {36, "CurrentJobsCol1", kMinus1},
    {37, "CurrentJobsCol2", kMinus1},
    {38, "CurrentJobsCol3", kMinus1},
    {39, "CurrentJobsCol4", kMinus1},
    {40, "CurrentJobsCol5", kMinus1},
    {41, "CurrentJobsCol6", kMinus1},
    {42, "CurrentJobsCol7", kMinus1},
    {43, "CurrentJobsCol8", kMinus1},
    {44, "CurrentJobsCol9", kMinus1},
    {45, "PrivateJobsCol0", kMinus1},
    {46, "PrivateJobsCol1", kMinus1},
    {47, "PrivateJobsCol2", kMinus1},
    {48, "PrivateJobsCol3", kMinus1},
    {49, "PrivateJobsCol4", kMinus1},
    {50, "PrivateJobsCol5", kMinus1},
    {51, "PrivateJobsCol6", kMinus1},
    {52, "PrivateJobsCol7", kMinus1},
    {53, "PrivateJobsCol8", kMinus1},
    {54, "PrivateJobsCol9", kMinus1},
    {55, "ProofJobsCol0", kMinus1},
    {56, "ProofJobsCol1", kMinus1},
    {57, "ProofJobsCol2", kMinus1},
    {58, "ProofJobsCol3", kMinus1},
    {59, "ProofJobsCol4", kMinus1},
    {60, "ProofJobsCol5", kMinus1},
    {61, "ProofJobsCol6", kMinus1},
    {62, "ProofJobsCol7", kMinus1},
    {63, "ProofJobsCol8", kMinus1},
    {64, "ProofJobsCol9", kMinus1},
    {65, "ScheduledJobsCol0", kMinus1},
    {66, "ScheduledJobsCol1", kMinus1},
    {67, "ScheduledJobsCol2", kMinus1},
    {68, "ScheduledJobsCol3", kMinus1},
    {69, "ScheduledJobsCol4", kMinus1},
    {70, "ScheduledJobsCol5", kMinus1},
    {71, "ScheduledJobsCol6", kMinus1},
    {72, "ScheduledJobsCol7", kMinus1},
    {73, "ScheduledJobsCol8", kMinus1},
    {74, "ScheduledJobsCol9", kMinus1},
    {75, "FaxJobsCol0", kMinus1},
    {76, "FaxJobsCol1", kMinus1},
    {77, "FaxJobsCol2", kMinus1},
    {78, "FaxJobsCol3", kMinus1},
    {79, "FaxJobsCol4", kMinus1},
    {80, "FaxJobsCol5", kMinus1},
    {81, "FaxJobsCol6", kMinus1},
    {82, "FaxJobsCol7", kMinus1},
    {83, "FaxJobsCol8", kMinus1},
    {84, "FaxJobsCol9", kMinus1},
    {85, "BoxJobsCol0", kMinus1},
    {86, "BoxJobsCol1", kMinus1},
    {87, "BoxJobsCol2", kMinus1},
    {88, "BoxJobsCol3", kMinus1},
    {89, "BoxJobsCol4", kMinus1},
    {90, "BoxJobsCol5", kMinus1},
    {91, "BoxJobsCol7", kMinus1},  // the table has no "BoxJobsCol6"
    {92, "BoxJobsCol8", kMinus1},
    {93, "BoxJobsCol9", kMinus1},
    {94, "DiscoveryIsVirgin", 1},
    {95, "DiscoveryTimeoutInMilliseconds", 100},
    {96, "PrinterInfoOpen", 0},
    {97, "DoIpxDiscovery", 1},
    {98, "DoIpDiscovery", 1},
    {99, "DoIpDiscoveryUseSubnet", 1},
    {100, "DoIpDiscoveryRangeFrom", 0},
    {101, "DoIpDiscoveryRangeTo", 0},
    {102, "JobActionExpirationInRefreshes", 10},
    {103, "SNMPTimeoutInHundredthOfASecond", 2000},
    {104, "SNMPRetries", 3},
    {105, "SNMPNoConnnectTimeoutInHundredthOfASecond", 1000},
    {106, "JobShowUnknownStateJobs", 0},
    {107, "MajorNetwareClientRequiredNT", 4},
    {108, "MinorNetwareClientRequiredNT", 60},
    {109, "MajorNetwareClientRequired9X", 3},
    {110, "MinorNetwareClientRequired9X", 10},
    {111, "ConnectionFailureTicks", 2},
    {112, "BoxJobsCol0Korvalen", kMinus1},
    {113, "BoxJobsCol1Korvalen", kMinus1},
    {114, "BoxJobsCol2Korvalen", kMinus1},
    {115, "BoxJobsCol3Korvalen", kMinus1},
    {116, "BoxJobsCol4Korvalen", kMinus1},
    {117, "BoxJobsCol5Korvalen", kMinus1},
    {118, "BoxJobsCol6Korvalen", kMinus1},
    {119, "BoxJobsCol7Korvalen", kMinus1},
    {120, "BoxJobsCol8Korvalen", kMinus1},
    {121, "BoxJobsCol9Korvalen", kMinus1},
    {kSettingsEnd, nullptr, 0},
};

const char* const kMapFileNames[kMapFileCount] = {
    "HRMap.txt", "PrintMap.txt", "OdraMap.txt", "OdraJMap.txt", "OdraNMap.txt",
};

const char* ClientRootKey(uint32_t family) {
    return family == 1 ? "Software\\KORVALEN\\Quorvia KORVALEN Client"
                       : "Software\\ORVEN\\Quorvia ORVEN Client";
}

const char* SettingsKey(uint32_t family) {
    return family == 1 ? "Software\\KORVALEN\\Quorvia KORVALEN Client\\QX-Tendra"
                       : "Software\\ORVEN\\Quorvia ORVEN Client\\QX-Tendra";
}

const char* DiscoveryKey(uint32_t family) {
    return family == 1 ? "Software\\KORVALEN\\Quorvia KORVALEN Client\\Discovery"
                       : "Software\\ORVEN\\Quorvia ORVEN Client\\Discovery";
}

const char* GetSettingName(uint32_t id) {
    for (const SettingEntry* e = kSettingsTable; e->id != kSettingsEnd; ++e)
        if (e->id == id)
            return e->name;
    return nullptr;
}

uint32_t GetSettingDefault(uint32_t id) {
    for (const SettingEntry* e = kSettingsTable; e->id != kSettingsEnd; ++e)
        if (e->id == id)
            return e->defaultValue;
    return 0;
}

// A null name (an id outside the table) addresses the key's unnamed value.
static const char* ValueName(uint32_t id) {
    const char* name = GetSettingName(id);
    return name ? name : "";
}

uint32_t GetDwordSetting(uint32_t id, uint32_t family) {
    reg::Key key;
    if (reg::Key::Open(reg::Hive::CurrentUser, SettingsKey(family), reg::Access::Read, key) ==
        ERROR_SUCCESS) {
        // Four bytes, whatever type the value was stored with.
        uint32_t value = 0;
        uint32_t size = sizeof value;
        if (key.QueryValue(ValueName(id), nullptr, &value, &size) == ERROR_SUCCESS) {
            // A shorter value fills only the first bytes, as the platform call does.
            return value;
        }
    }
    return GetSettingDefault(id);
}

long SetDwordSetting(uint32_t id, uint32_t value, uint32_t family) {
    reg::Key key;
    if (long err =
            reg::Key::Open(reg::Hive::CurrentUser, SettingsKey(family), reg::Access::Write, key))
        return err;
    return key.SetValue(ValueName(id), reg::REG_DWORD, &value, sizeof value);
}

void GetStringSetting(uint32_t id, char* buffer, uint32_t size, uint32_t family) {
    if (buffer == nullptr || size == 0)
        return;
    std::memset(buffer, 0, size);
    if (family != 1)
        return;
    reg::Key key;
    if (reg::Key::Open(reg::Hive::CurrentUser, SettingsKey(1), reg::Access::Read, key) !=
            ERROR_SUCCESS &&
        reg::Key::Open(reg::Hive::CurrentUser, SettingsKey(2), reg::Access::Read, key) !=
            ERROR_SUCCESS)
        return;
    uint32_t n = size;
    if (key.QueryValue(ValueName(id), nullptr, buffer, &n) != ERROR_SUCCESS)
        return;
    // A value stored without its terminating zero must not run into what follows.
    if (n >= size)
        buffer[size - 1] = 0;
}

long SetStringSetting(uint32_t id, const char* text, uint32_t family) {
    reg::Key key;
    if (long err =
            reg::Key::Open(reg::Hive::CurrentUser, SettingsKey(family), reg::Access::Write, key))
        return err;
    const char* t = text ? text : "";
    return key.SetValue(ValueName(id), reg::REG_SZ, t, static_cast<uint32_t>(std::strlen(t) + 1));
}

}  // namespace qx
