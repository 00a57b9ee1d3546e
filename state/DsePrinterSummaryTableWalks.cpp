// The summary table's walks over rows of a device's tables: input trays,
// output bins (for the finisher type) and the two alert tables. Each asks
// rows (d + 1, n) by GET; a failed row never ends the refresh.

#include <strings.h>

#include <cstring>

#include "DsePrinterSummaryTable.h"
#include "platform/text/Hex.h"
#include "trace/Trace.h"

namespace qx {

namespace {

constexpr size_t kTextSize = 260;

bool IsNamed(const char* text, const char* name) {
    return strcasecmp(text, name) == 0;
}

}  // namespace

int32_t MakerAlertCodeOf(const char* szDescription) {
    if (!szDescription || std::strlen(szDescription) < 4 || szDescription[0] != '(')
        return 0;
    const char* end = std::strchr(szDescription, ')');
    if (!end)
        return 0;
    uint64_t code = 0;
    for (const char* p = szDescription + 1; p < end && HexDigit(*p) >= 0; ++p) {
        code = code * 16 + static_cast<uint64_t>(HexDigit(*p));
        if (code > 0xFFFFFFFFull)
            return 0;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(code));
}

HRESULT CDsePrinterSummaryTable::snmppGetCassettes(int d) {
    struct Column {
        int32_t elementId;
        const char* szFailure;
    };
    static constexpr Column kColumns[] = {
        {EID_ODRAINPUTLOCATION, "EID_ODRAINPUTLOCATION: failed to get"},
        {EID_ODRAINPUTMEDIAPAPERSIZE, "EID_ODRAINPUTMEDIAPAPERSIZE: failed to get"},
        {EID_ODRAINPUTMEDIATYPE, "EID_ODRAINPUTMEDIATYPE: failed to get"},
        {EID_ODRAINPUTPERCENTFULL, "EID_ODRAINPUTPERCENTFULL: failed to get"},
    };
    PrinterDeviceRecord& device = m_devices[d];
    // Trays are not counted first: six rows are asked, and rows the device
    // does not have simply fail.
    for (int32_t tray = 1; tray <= kInputTrays; ++tray) {
        int32_t values[4] = {0, 0, 0, 0};  // location, paper size, media type, percent full
        bool complete = true;
        for (int i = 0; i < 4 && complete; ++i) {
            const MIBMappingEntry* entry = Entry(kColumns[i].elementId);
            if (!entry || FAILED(m_reader.snmppGetInt32Value(entry, d + 1, tray, &values[i]))) {
                Trace(kTracePrefix, "%s", kColumns[i].szFailure);
                complete = false;
            }
        }
        if (!complete)
            continue;
        const int32_t location = values[0];
        const TraySlots* slots = TraySlotsOf(location);
        if (!slots)
            continue;
        device.m_paperSize[slots->nPaperSlot] = values[1];
        device.m_mediaType[slots->nPaperSlot] = values[2];
        device.m_percentFull[slots->nPercentSlot] = values[3];
        if (location == 8)
            device.m_nFeederCode = 5;
        else if (location == 15)
            device.m_bExternalFeeder = 1;
    }
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetFinisherType(int d) {
    const MIBMappingEntry* present = Entry(EID_ODRAGENERALDPFINISHERPRESENT);
    const MIBMappingEntry* outputName = Entry(EID_PRTOUTPUTNAME);
    PrinterDeviceRecord& device = m_devices[d];
    // Set once a finisher bin named the kind of finisher: a saddle tray seen
    // after it makes it the saddle-stitch finisher.
    bool bFinisher = false;
    Trace(kTracePrefix, "CDsePrinterSummaryTable::snmppGetFinisherType:success");
    for (int32_t bin = 1; bin <= kOutputBins; ++bin) {
        Trace(kTracePrefix, "snmppGetFinisherType: Query for prtOutputName");
        char name[kTextSize] = "";
        if (!outputName || FAILED(m_reader.snmppGetStringValue(outputName, d + 1, bin, name))) {
            Trace(kTracePrefix, "EID_ODRAGENERALDPFINISHERPRESENT: failed to get");
            continue;
        }
        Trace(kTracePrefix, "snmppGetFinisherType: else loop with value %s", name);
        if (IsNamed(name, "OFFSET CATCH TRAY")) {
            device.m_nFinisherType = 2;
            Trace(kTracePrefix, "Offset catch tray is attached");
            return S_OK;
        }
        if (IsNamed(name, "JOB SEPARATOR UPPER")) {
            device.m_nFinisherType = 3;
            Trace(kTracePrefix, "Job Separator Upper is attached");
            return S_OK;
        }
        if (IsNamed(name, "SADDLE TRAY1")) {
            if (bFinisher) {
                device.m_nFinisherType = 33;
                Trace(kTracePrefix,
                      "snmppGetInt32Value success and return value is 3 & 3 for Finisher Present "
                      "and Saddle Stitch");
                return S_OK;
            }
            continue;
        }
        if (IsNamed(name, "FINISHER BIN1")) {
            Trace(kTracePrefix, "snmppGetFinisherType: In Finisher Bin loop");
            if (!present) {
                // Without the element the kind of finisher cannot be told, and
                // the device falls back to device 0's type: say why.
                Trace(kTracePrefix, "EID_ODRAGENERALDPFINISHERPRESENT: failed to get");
                continue;
            }
            int32_t kind = 0;
            if (FAILED(m_reader.snmppGetInt32Value(present, d + 1, 1, &kind)))
                continue;
            switch (kind) {
                case 3:
                    device.m_nFinisherType = 31;
                    bFinisher = true;
                    Trace(kTracePrefix, "snmppGetInt32Value success and return value is 3");
                    break;
                case 4:
                    device.m_nFinisherType = 32;
                    bFinisher = true;
                    Trace(kTracePrefix, "snmppGetInt32Value success and return value is 4");
                    break;
                case 6:
                    device.m_nFinisherType = 34;
                    Trace(kTracePrefix, "snmppGetInt32Value success and return value is 6");
                    return S_OK;
                default:
                    break;
            }
        }
    }
    if (!bFinisher) {
        // A partner without a finisher of its own delivers through the first
        // device's.
        Trace(kTracePrefix, "bFinisher is false");
        device.m_nFinisherType = m_devices[0].m_nFinisherType;
    }
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetPrinterAlerts(int d) {
    const MIBMappingEntry* entry = Entry(EID_ODRAALERTCODE);
    if (!entry)
        return E_FAIL;
    PrinterDeviceRecord& device = m_devices[d];
    for (int32_t row = 1; row <= kMaxAlertRows; ++row) {
        int32_t code = 0;
        if (FAILED(m_reader.snmppGetInt32Value(entry, d + 1, row, &code)))
            return S_OK;
        device.m_alerts.push_back(PrinterAlert{code, 1});
        Trace(kTracePrefix,
              "CDsePrinterSummaryTable::snmppGetPrinterAlerts: added alert %d to table", code);
    }
    Trace(kTracePrefix, "CDsePrinterSummaryTable::snmppGetPrinterAlerts: stopped after %d rows",
          kMaxAlertRows);
    return S_OK;
}

HRESULT CDsePrinterSummaryTable::snmppGetPrinterMibAlerts(int d) {
    const MIBMappingEntry* codeEntry = Entry(EID_PRTALERTCODE);
    const MIBMappingEntry* descriptionEntry = Entry(EID_PRTALERTDESCRIPTION);
    if (!codeEntry || !descriptionEntry)
        return E_FAIL;
    PrinterDeviceRecord& device = m_devices[d];
    for (int32_t row = 1; row <= kMaxAlertRows; ++row) {
        int32_t prtCode = 0;
        char description[kTextSize] = "";
        if (FAILED(m_reader.snmppGetInt32Value(codeEntry, d + 1, row, &prtCode)) ||
            FAILED(m_reader.snmppGetStringValue(descriptionEntry, d + 1, row, description)))
            return S_OK;
        const int32_t makerCode = MakerAlertCodeOf(description);
        for (PrinterAlert& alert : device.m_alerts) {
            if (alert.nAlertCode == makerCode) {
                alert.nPrtAlertCode = prtCode;
                break;
            }
        }
    }
    Trace(kTracePrefix, "CDsePrinterSummaryTable::snmppGetPrinterMibAlerts: stopped after %d rows",
          kMaxAlertRows);
    return S_OK;
}

void CDsePrinterSummaryTable::GetInputInfo(int32_t location, int32_t* pPaperSize,
                                           int32_t* pMediaType, int32_t* pPercentFull,
                                           int32_t device) const {
    const TraySlots* slots = TraySlotsOf(location);
    if (!slots || device < 0 || device >= kDeviceCount)
        return;
    const PrinterDeviceRecord& record = m_devices[device];
    if (pPaperSize)
        *pPaperSize = record.m_paperSize[slots->nPaperSlot];
    if (pMediaType)
        *pMediaType = record.m_mediaType[slots->nPaperSlot];
    if (pPercentFull)
        *pPercentFull = record.m_percentFull[slots->nPercentSlot];
}

}  // namespace qx
