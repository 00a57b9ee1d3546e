// The mapping files and table: line rules, placement of columns and scalars,
// keywords, failures with their events, lookups, write-back, and the five
// installed files.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <map>

#include "model/MIBMappingTable.h"
#include "platform/system/ProgramPath.h"
#include "support/TempRegistry.h"
#include "support/TestData.h"
#include "trace/EventLogWriter.h"
#include "trace/Trace.h"

using namespace qx;

namespace {

// Receives what the event log writer sends to its syslog socket.
class EventCapture {
  public:
    explicit EventCapture(const std::string& dir) : m_path(dir + "/log.sock") {
        m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, m_path.c_str(), sizeof addr.sun_path - 1);
        EXPECT_EQ(bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        setenv("QX_SYSLOG_SOCKET", m_path.c_str(), 1);
    }
    ~EventCapture() {
        unsetenv("QX_SYSLOG_SOCKET");
        close(m_fd);
    }
    // Every line that arrived so far.
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        pollfd pfd{m_fd, POLLIN, 0};
        while (poll(&pfd, 1, 0) > 0) {
            char buf[2048];
            ssize_t n = recv(m_fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            lines.emplace_back(buf, static_cast<size_t>(n));
        }
        return lines;
    }

  private:
    std::string m_path;
    int m_fd = -1;
};

std::string Line(std::vector<std::string> fields) {
    fields.resize(15);
    std::string line;
    for (const auto& f : fields)
        line += f + "\t";
    line.back() = '\n';
    return line;
}

class MappingTableTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& text) {
        std::string path = dir.Path() + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::string DataFile(const char* name) { return qxtest::TestDataPath("model", name); }

    qxtest::TempDir dir;
};

}  // namespace

TEST_F(MappingTableTest, PlacesColumnsAndReadsKeywordsWithoutRegardToCase) {
    MIBMappingTable table;
    ASSERT_TRUE(table.Load({DataFile("rules-map.txt")})) << table.LastError();
    ASSERT_EQ(table.Count(), 11u);
    auto entry = [&](int32_t id) { return *table.GetEntryById(id); };

    struct Expect {
        int32_t id;
        const char* oid;
        bool columnar;
        int32_t syntax, access, kind;
    };
    const int32_t NONE = MIB_SYNTAX_NONE, INT = MIB_SYNTAX_INTEGER, STR = MIB_SYNTAX_STRING,
                  RO = MIB_ACCESS_READ_ONLY, NA = MIB_ACCESS_NOT_ACCESSIBLE;
    for (const Expect& e : {
             // read-only, no table above: the instance
             Expect{10, "1.3.6.1.2.1.1.5.0", false, STR, RO, MIB_KIND_STATIC},
             // a table line finds itself; empty syntax
             Expect{11, "1.3.6.1.2.1.1", true, NONE, NA, MIB_KIND_TABLE},
             Expect{12, "1.3.6.1.2.1.1.5", true, STR, RO, MIB_KIND_STATIC},  // below the table
             Expect{13, "1.3.6.1.2.1.1.1", true, NONE, NA, MIB_KIND_ROW},    // a row is a column
             // the row line did not end the table; INTEGER in capitals
             Expect{14, "1.3.6.1.2.1.1.6", true, INT, MIB_ACCESS_READ_WRITE, MIB_KIND_DYNAMIC},
             // outside the table's OID, read-create; Integer32
             Expect{15, "1.3.6.1.2.1.2.1.0", false, INT, MIB_ACCESS_READ_CREATE, MIB_KIND_FIXED},
             // outside and not accessible: unchanged
             Expect{16, "1.3.6.1.2.1.2.2", false, MIB_SYNTAX_GAUGE32, NA, MIB_KIND_STATIC},
             Expect{17, "1.3.6.1.4.1", false, NONE, NA, MIB_KIND_ROOT_OID},  // ROOT-oid
             // the root-OID line came first; Counter, Static
             Expect{18, "1.3.6.1.2.1.1.7.0", false, MIB_SYNTAX_COUNTER32, RO, MIB_KIND_STATIC},
             // unknown syntax, access and kind
             Expect{19, "1.3.6.1.4.1.9", false, NONE, NA, MIB_KIND_ROW},
             Expect{20, "0", false, STR, RO, MIB_KIND_STATIC},  // no OID: just the instance arc
         }) {
        ASSERT_NE(table.GetEntryById(e.id), nullptr) << e.id;
        EXPECT_EQ(entry(e.id).GetOidText(), e.oid) << e.id;
        EXPECT_EQ(entry(e.id).bColumnar, e.columnar) << e.id;
        EXPECT_EQ(entry(e.id).nSyntax, e.syntax) << e.id;
        EXPECT_EQ(entry(e.id).nAccess, e.access) << e.id;
        EXPECT_EQ(entry(e.id).nKind, e.kind) << e.id;
    }

    // The fields that are only carried.
    const MIBMappingEntry& dashes = entry(19);
    EXPECT_EQ(dashes.strName, "EID_DASHES");
    EXPECT_EQ(dashes.strDescription, u"-- after the first TAB: an entry");
    EXPECT_EQ(dashes.nNumber1, 7);
    EXPECT_EQ(dashes.nNumber2, 8);
    EXPECT_EQ(dashes.value, "") << "the value is kept for string entries only";
    EXPECT_EQ(dashes.indexes[0], 1);
    EXPECT_EQ(dashes.indexes[1], -1) << "index 0 means none";
    EXPECT_EQ(dashes.indexes[2], 3);
    EXPECT_EQ(dashes.indexes[3], -1);
    EXPECT_EQ(entry(20).value, "kept text");
    EXPECT_EQ(entry(10).nNumber1, -1);
}

TEST_F(MappingTableTest, CommentsAndShortLines) {
    std::string path =
        Write("map.txt",
              "--\n"
              "-- a comment\n"
              "text -- with hyphens and no TAB\n" +
                  Line({"EID_A", "7", "1.2.3", "", "", "", "", "integer", "read-only"}) +
                  "EID_SHORT\t8\t1.2.4\n" + "EID_CRLF\t9\t1.2.5\t\t\t\t\tstring\tread-only\r\n");
    MIBMappingTable table;
    ASSERT_TRUE(table.Load({path})) << table.LastError();
    ASSERT_EQ(table.Count(), 3u);
    EXPECT_EQ(table.GetEntryById(7)->GetOidText(), "1.2.3.0");
    const MIBMappingEntry* shortLine = table.GetEntryById(8);
    EXPECT_EQ(shortLine->GetOidText(), "1.2.4") << "missing fields are empty: not accessible";
    EXPECT_EQ(shortLine->nKind, MIB_KIND_ROW);
    EXPECT_EQ(table.GetEntryById(9)->nAccess, MIB_ACCESS_READ_ONLY)
        << "the CR of a CR LF line is dropped";

    // A one-character line is never a comment; "-" has no element id.
    MIBMappingTable one;
    EXPECT_FALSE(one.Load({Write("one.txt", "-\n")}));
    EXPECT_EQ(one.Count(), 0u);
}

TEST_F(MappingTableTest, ArcsFollowTheDecimalPrefixRule) {
    std::string path = Write("arcs.txt", Line({"EID_ODD", "+12abc", "1.x3.4294967295.-1.", "7.8",
                                               "", "junk", "", "", "not-accessible"}));
    MIBMappingTable table;
    ASSERT_TRUE(table.Load({path}));
    const MIBMappingEntry* e = table.GetEntryById(12);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetOidText(), "1.0.4294967295.4294967295.0");
    EXPECT_EQ(e->GetSecondOidText(), "7.8");
    EXPECT_EQ(e->nNumber1, 0) << "a field that is there but not numeric";
}

TEST_F(MappingTableTest, LookupsReturnTheFirstEntryInFileOrder) {
    std::string first =
        Write("first.txt", Line({"EID_A", "5", "1.1"}) + Line({"EID_B", "5", "1.2"}));
    std::string second =
        Write("second.txt", Line({"EID_C", "5", "1.3"}) + Line({"EID_D", "6", "1.4"}));
    MIBMappingTable table;
    ASSERT_TRUE(table.Load({first, second}));
    EXPECT_EQ(table.GetEntryById(5)->strName, "EID_A");
    EXPECT_EQ(table.GetEntryById(6)->strName, "EID_D");
    EXPECT_EQ(table.GetEntryById(4), nullptr);
    EXPECT_EQ(table.GetEntryById(0), nullptr);
}

TEST_F(MappingTableTest, CutsLongLinesAndReadsOn) {
    std::string longName(200, 'N');
    std::string longLine = longName + "\t42\t1.3.6.1.4.1.32473.2.3.50.1\t\tdescription";
    longLine += std::string(300 - longLine.size(), 'd');
    ASSERT_EQ(longLine.size(), 300u);
    auto padded = [](std::vector<std::string> fields, size_t size, char fill) {
        std::string line = Line(std::move(fields));
        line.pop_back();
        return line + std::string(size - line.size(), fill);
    };
    std::string exact = padded({"EID_EXACT", "41", "1.2"}, 255, 'x');  // read whole
    std::string line256 = padded({"EID_256", "45", "1.5"}, 256, 'y');
    std::string huge = padded({"EID_HUGE", "46", "1.6"}, 10000, 'z');
    std::string path = Write("long.txt", exact + "\r\n" + Line({"EID_CRLF", "40", "1.1"}) +
                                             longLine + "\n" + line256 + "\n" + huge + "\n" +
                                             Line({"EID_AFTER", "43", "1.3"}) + huge);
    std::string next = Write("next.txt", Line({"EID_NEXT", "44", "1.4"}));

    qxtest::TempDir traceDir;
    std::string traceFile = traceDir.Path() + "/trace.log";
    SetTraceDestination(traceFile.c_str());
    MIBMappingTable table;
    EXPECT_TRUE(table.Load({path, next})) << "a cut line still counts as loaded";
    SetTraceDestination("");

    ASSERT_NE(table.GetEntryById(41), nullptr);
    EXPECT_NE(table.GetEntryById(40), nullptr) << "the CR LF line of 255 is whole";
    const MIBMappingEntry* cut = table.GetEntryById(42);
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->strName, longName);
    EXPECT_EQ(cut->GetOidText(), "1.3.6.1.4.1.32473.2.3.50.1");
    const size_t descriptionStart = longLine.find("description");
    EXPECT_EQ(cut->strDescription.size(), 255u - descriptionStart)
        << "the description holds the rest of the first 255 characters";
    EXPECT_NE(table.GetEntryById(45), nullptr);
    EXPECT_NE(table.GetEntryById(46), nullptr);
    EXPECT_NE(table.GetEntryById(43), nullptr) << "the lines after a cut line are read";
    EXPECT_NE(table.GetEntryById(44), nullptr) << "the next file is read";

    std::ifstream in(traceFile);
    std::vector<std::string> traced;
    for (std::string l; std::getline(in, l);)
        if (l.find("characters") != std::string::npos)
            traced.push_back(l);
    ASSERT_EQ(traced.size(), 4u) << "the lines of 300, 256 and twice 10,000 characters";
    EXPECT_EQ(traced[0], "[SKORVALENMISVR] Mapping file " + path +
                             ": line 3 is longer than 255 characters; 45 more cut off");
    EXPECT_NE(traced[1].find("line 4 is longer than 255 characters; 1 more cut off"),
              std::string::npos)
        << traced[1];
}

TEST_F(MappingTableTest, WritesEntriesBackAsLines) {
    MIBMappingTable table;
    ASSERT_TRUE(table.Load({DataFile("rules-map.txt")}));
    EXPECT_EQ(table.GetEntryById(15)->WriteBack(),
              "EID_OUTSIDE\t15\t1.3.6.1.2.1.2.1.0\t\tnot below the table "
              "OID\t\t\tinteger\tread-create\t\tfixed\t\t\t\t\n")
        << "integer32 comes back as integer, the scalar with its instance arc";
    EXPECT_EQ(table.GetEntryById(18)->WriteBack(),
              "EID_UNDERROOT\t18\t1.3.6.1.2.1.1.7.0\t\tbelow the old table OID, but the root came "
              "first\t\t\t"
              "counter32\tread-only\t\tstatic\t\t\t\t\n");
    EXPECT_EQ(table.GetEntryById(19)->WriteBack(),
              "EID_DASHES\t19\t1.3.6.1.4.1.9\t\t-- after the first TAB: an "
              "entry\t7\t8\t\tnot-accessible\t\trow\t1\t\t3\t\n")
        << "unknown codes as empty text, the value field always empty";

    // A line longer than 200 bytes is written whole.
    MIBMappingEntry wide;
    wide.strName = std::string(190, 'W');
    wide.nElementId = 1;
    wide.strDescription = u"Ä description";
    EXPECT_EQ(wide.WriteBack(),
              wide.strName + "\t1\t\t\tÄ description\t\t\t\tnot-accessible\t\trow\t\t\t\t\n");
}

TEST_F(MappingTableTest, ReportsBadLinesAndMissingFilesAsEvents) {
    qxtest::TempRegistry registry;
    EventCapture events(dir.Path());
    CEventLogWriter writer("/opt/quorvia/AL1MISvr");

    std::string good = Write("good.txt", Line({"EID_A", "1", "1.1"}));
    std::string bad =
        Write("bad.txt", "-- comments are not counted\n" + Line({"EID_B", "2", "1.2"}) +
                             Line({"EID_ZERO", "0", "1.3"}) + Line({"EID_LATER", "4", "1.4"}));
    MIBMappingTable table(&writer);
    EXPECT_FALSE(table.Load({good, bad, good}));
    EXPECT_NE(table.GetEntryById(2), nullptr) << "entries read before the bad line stay";
    EXPECT_EQ(table.GetEntryById(4), nullptr) << "nothing after the bad line is read";
    EXPECT_EQ(table.Count(), 2u) << "the third file was not read";
    auto lines = events.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("event 0xC00003EA: 2 | EID_ZERO\t0\t1.3"), std::string::npos)
        << lines[0];

    // The fifth file missing: the first four were read, the load fails.
    std::vector<std::string> files;
    for (int i = 0; i < 4; ++i)
        files.push_back(Write("f" + std::to_string(i), Line({"EID", std::to_string(i + 1), "1"})));
    files.push_back(dir.Path() + "/OdraNMap.txt");
    MIBMappingTable four(&writer);
    EXPECT_FALSE(four.Load(files));
    EXPECT_EQ(four.Count(), 4u);
    lines = events.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("event 0xC00003E9: " + files[4] +
                            " | The system cannot find the file specified."),
              std::string::npos)
        << lines[0];

    // Without a reporter the same failures are silent.
    MIBMappingTable quiet;
    EXPECT_FALSE(quiet.Load(files));
    EXPECT_FALSE(quiet.Load({dir.Path()})) << "a directory is no mapping file";
    EXPECT_TRUE(events.Lines().empty());
    EXPECT_NE(quiet.LastError().find(dir.Path()), std::string::npos);
}

TEST_F(MappingTableTest, NeverReadsOutsideALine) {
    // An empty line, lone TABs, a line of TABs longer than a line: no element id.
    for (const std::string& bad :
         {std::string("\n"), std::string(20, '\t') + "\n", std::string(1000, '\t') + "\n"})
        EXPECT_FALSE(MIBMappingTable().Load({Write("bad.txt", bad)})) << bad.size();
    MIBMappingTable zero;
    EXPECT_TRUE(
        zero.Load({Write("zero.txt", std::string("EID_Z\t3\t1.2\0\t9\n", 15) + "EID_Y\t5\t1.3")}));
    EXPECT_EQ(zero.GetEntryById(3)->GetOidText(), "1.2") << "the text ends at the zero byte";
    EXPECT_NE(zero.GetEntryById(5), nullptr) << "a last line without line feed";
    const char* noPath[] = {nullptr};
    EXPECT_FALSE(MIBMappingTable().Load(1, noPath));
    MIBMappingTable nothing;
    EXPECT_TRUE(nothing.Load({Write("nothing.txt", "")}));
    EXPECT_EQ(nothing.Count(), 0u);
}

TEST(InstalledMappingFiles, MapEveryElementIdToItsOid) {
    MIBMappingTable table;
    ASSERT_TRUE(table.Load(MapFilePaths())) << table.LastError();
    const std::string q = "1.3.6.1.4.1.32473.2.3.50.1.";
    // Each column's OID, and whether it is text (else an integer).
    const std::map<int32_t, std::pair<std::string, bool>> columns = {
        {EID_HRDEVICEDESCR, {"1.3.6.1.2.1.25.3.2.1.3", true}},
        {EID_HRPRINTERSTATUS, {"1.3.6.1.2.1.25.3.5.1.1", false}},
        {EID_HRPRINTERDETECTEDERRORSTATE, {"1.3.6.1.2.1.25.3.5.1.2", true}},
        {EID_PRTOUTPUTNAME, {"1.3.6.1.2.1.43.9.2.1.7", true}},
        {EID_PRTALERTCODE, {"1.3.6.1.2.1.43.18.1.1.7", false}},
        {EID_PRTALERTDESCRIPTION, {"1.3.6.1.2.1.43.18.1.1.8", true}},
        {EID_ODRAGENERALQXNAME, {q + "2.3.1.2", true}},
        {EID_ODRAGENERALQXMODEL, {q + "2.3.1.3", true}},
        {EID_ODRAGENERALDPLOCATION, {q + "2.4.1.4", true}},
        {EID_ODRAGENERALQXPEDESTALSETUP, {q + "2.4.1.5", false}},
        {EID_ODRAGENERALDPFINISHERPRESENT, {q + "2.4.1.7", false}},
        {EID_ODRAADUSTATE, {q + "2.4.1.8", false}},
        {EID_ODRAGENERALDPFAXENABLED, {q + "2.4.1.11", false}},
        {EID_ODRAGENERALNETCARDMACADDRESS, {q + "2.5.1.2", true}},
        {EID_ODRAINPUTMEDIAPAPERSIZE, {q + "3.1.1.2", false}},
        {EID_ODRAINPUTMEDIATYPE, {q + "3.1.1.3", false}},
        {EID_ODRAINPUTLOCATION, {q + "3.1.1.5", false}},
        {EID_ODRAINPUTPERCENTFULL, {q + "3.1.1.6", false}},
        {EID_ODRATANDEMSTATE, {q + "2.6.1.2", false}},
        {EID_ODRAALERTCODE, {q + "4.1.1.2", false}},
        {EID_ODRAFINISHERHOLEPUNCHTYPE, {q + "5.1.1.3", false}},
        {EID_ODRAFINISHERINSERTER, {q + "5.1.1.4", false}},
    };
    for (const auto& [id, column] : columns) {
        const MIBMappingEntry* e = table.GetEntryById(id);
        ASSERT_NE(e, nullptr) << id;
        EXPECT_EQ(e->GetOidText(), column.first) << e->strName;
        EXPECT_TRUE(e->bColumnar) << e->strName;
        EXPECT_EQ(e->nAccess, MIB_ACCESS_READ_ONLY) << e->strName;
        EXPECT_EQ(e->strName.rfind("EID_", 0), 0u);
        EXPECT_EQ(e->nSyntax, column.second ? MIB_SYNTAX_STRING : MIB_SYNTAX_INTEGER) << e->strName;
    }
    const MIBMappingEntry* address = table.GetEntryById(EID_DEVICEADDRESS);
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(address->strName, "EID_DEVICEADDRESS");
    EXPECT_EQ(address->GetOidText(), "");
    EXPECT_EQ(address->nAccess, MIB_ACCESS_NOT_ACCESSIBLE);

    // Ids are unique across the installed files.
    std::map<int32_t, int> seen;
    for (size_t i = 0; i < table.Count(); ++i)
        EXPECT_EQ(++seen[table.At(i).nElementId], 1) << table.At(i).strName;
}
