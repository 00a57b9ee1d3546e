#pragma once
// The element-id to OID mapping, read from the tab-separated mapping files
// that lie beside the program. A table is loaded once by its owner and then
// only read; lookups are linear and the entry read first wins.
//
// File format: one entry a line, at most 255 characters (a longer line is cut
// and ends the file), 15 fields separated by single TABs. A line in which
// "--" comes before the first TAB is a comment. See MIBMappingEntry for the
// fields, and data/mapping/ for the installed files.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "MIBMappingEntry.h"

namespace qx {

class CEventLogWriter;

// The element ids the server reads.
enum ElementId : int32_t {
    EID_DEVICEADDRESS = 999,
    EID_HRDEVICEDESCR = 1053,
    EID_HRPRINTERSTATUS = 1066,
    EID_HRPRINTERDETECTEDERRORSTATE = 1067,
    EID_PRTOUTPUTNAME = 2083,
    EID_PRTALERTCODE = 2202,
    EID_PRTALERTDESCRIPTION = 2203,
    EID_ODRAGENERALQXNAME = 3034,
    EID_ODRAGENERALQXMODEL = 3035,
    EID_ODRAGENERALQXPEDESTALSETUP = 3047,
    EID_ODRAGENERALDPLOCATION = 3053,
    EID_ODRAGENERALDPFINISHERPRESENT = 3058,
    EID_ODRAADUSTATE = 3059,
    EID_ODRAGENERALDPFAXENABLED = 3060,
    EID_ODRAGENERALNETCARDMACADDRESS = 3075,
    EID_ODRAINPUTMEDIAPAPERSIZE = 3130,
    EID_ODRAINPUTMEDIATYPE = 3131,
    EID_ODRAINPUTLOCATION = 3133,
    EID_ODRAINPUTPERCENTFULL = 3134,
    EID_ODRATANDEMSTATE = 3143,
    EID_ODRAALERTCODE = 3196,
    EID_ODRAFINISHERHOLEPUNCHTYPE = 3224,
    EID_ODRAFINISHERINSERTER = 3225,
};

// Full paths of the five installed mapping files in load order: dir, "/"
// and each name of kMapFileNames. An empty dir means the program's directory.
std::vector<std::string> MapFilePaths(const std::string& dir = std::string());

class MIBMappingTable {
  public:
    // Events go to eventReporter when one is given; the table does not own it.
    explicit MIBMappingTable(CEventLogWriter* eventReporter = nullptr);
    virtual ~MIBMappingTable();
    MIBMappingTable(const MIBMappingTable&) = delete;
    MIBMappingTable& operator=(const MIBMappingTable&) = delete;

    // Loads the files in order; false at the first file that fails (later
    // files are not read, entries already read stay).
    bool Load(int count, const char* const* paths);
    bool Load(const std::vector<std::string>& paths);

    // The first entry in file order with this id, or null.
    const MIBMappingEntry* GetEntryById(int32_t elementId) const;

    size_t Count() const { return m_entries.size(); }
    const MIBMappingEntry& At(size_t i) const { return *m_entries[i]; }

    // What made the last load fail ("" after a good load), for tools and traces.
    const std::string& LastError() const { return m_lastError; }

    // Lines that were longer than a line may be and were cut, over all loads.
    int CutLines() const { return m_nCutLines; }

  private:
    bool LoadFile(const char* path);
    bool AddLine(const char* line);
    void PlaceEntry(MIBMappingEntry& entry);
    void Report(uint32_t eventId, const char* first, const char* second);

    std::vector<std::unique_ptr<MIBMappingEntry>> m_entries;
    CEventLogWriter* m_pEventReporter;
    std::string m_lastError;
    int m_nCutLines = 0;
};

}  // namespace qx
