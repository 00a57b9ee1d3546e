// The qxreg program, run as a user runs it against a private store: output
// in reg's format, exit codes, the (Yes/No) questions, and export/import.

#include <gtest/gtest.h>

#include <QStringList>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/registry/RegistryKey.h"
#include "platform/system/Win32Error.h"
#include "support/RunProgram.h"
#include "support/TempRegistry.h"

namespace {

const std::string kKey = "HKCU\\Software\\QX Test";
const std::string kFull = "HKEY_CURRENT_USER\\Software\\QX Test";
const std::string kDone = "The operation completed successfully.\n";
const std::string kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

Outcome Qxreg(const std::vector<std::string>& args, const std::string& input = "") {
    QStringList list;
    for (const auto& a : args)
        list << QString::fromStdString(a);
    qxtest::ProgramResult p = qxtest::RunProgram("qxreg", list, QByteArray::fromStdString(input));
    return {p.exitCode, p.out.toStdString(), p.err.toStdString()};
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class QxregTest : public ::testing::Test {
  protected:
    qxtest::TempRegistry store;
    qxtest::TempDir dir;

    void Add(const std::vector<std::string>& args) {
        std::vector<std::string> all{"add", kKey};
        all.insert(all.end(), args.begin(), args.end());
        all.push_back("/f");
        Outcome r = Qxreg(all);
        ASSERT_EQ(r.code, 0) << r.err;
        ASSERT_EQ(r.out, kDone);
        ASSERT_EQ(r.err, "");
    }
    // The value's text, "<missing>" without the key or the value.
    std::string Text(const std::string& name) {
        qx::reg::Key k;
        std::string text = "<missing>";
        if (qx::reg::Key::Open(qx::reg::Hive::CurrentUser, "Software\\QX Test",
                               qx::reg::Access::Read, k) == 0)
            k.GetString(name, text);
        return text;
    }
};

}  // namespace

TEST_F(QxregTest, AddAndQueryShowDataAsRegDoes) {
    Add({"/v", "Text", "/d", "10.1.0.1"});
    Add({"/v", "Count", "/t", "REG_DWORD", "/d", "0x1A"});
    Add({"/v", "Big", "/t", "REG_QWORD", "/d", "4294967296"});
    Add({"/v", "Bytes", "/t", "REG_BINARY", "/d", "aFF10"});
    Add({"/v", "List", "/t", "REG_MULTI_SZ", "/d", "eins\\0zwei"});
    Add({"/v", "Sep", "/t", "REG_MULTI_SZ", "/s", ",", "/d", "a,b,"});
    Add({"/v", "Path", "/t", "REG_EXPAND_SZ", "/d", "%HOME%\\Büro"});
    Add({"/v", "Nothing", "/t", "REG_NONE"});
    Add({"/ve", "/d", "Standard"});
    ASSERT_EQ(Qxreg({"add", kKey + "\\Sub1"}).code, 0);
    ASSERT_EQ(Qxreg({"add", "HKEY_CURRENT_USER\\Software\\QX Test\\sub0\\deeper"}).code, 0);
    ASSERT_EQ(
        Qxreg({"add", kKey + "\\sub0\\deeper", "/v", "Count", "/t", "REG_DWORD", "/d", "7"}).code,
        0);

    Outcome r = Qxreg({"query", "hkcu\\Software\\QX Test\\"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "\n" + kFull +
                         "\n"
                         "    Text    REG_SZ    10.1.0.1\n"
                         "    Count    REG_DWORD    0x1a\n"
                         "    Big    REG_QWORD    0x100000000\n"
                         "    Bytes    REG_BINARY    0AFF10\n"
                         "    List    REG_MULTI_SZ    eins\\0zwei\n"
                         "    Sep    REG_MULTI_SZ    a\\0b\n"
                         "    Path    REG_EXPAND_SZ    %HOME%\\Büro\n"
                         "    Nothing    REG_NONE    00\n"
                         "    (Default)    REG_SZ    Standard\n"
                         "\n" +
                         kFull + "\\sub0\n" + kFull + "\\Sub1\n\n");

    r = Qxreg({"query", kKey, "/v", "count"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "\n" + kFull + "\n    count    REG_DWORD    0x1a\n\n");

    r = Qxreg({"query", kKey + "\\Sub1", "/ve"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "\n" + kFull + "\\Sub1\n    (Default)    REG_SZ    (value not set)\n");

    r = Qxreg({"query", kKey + "\\sub0", "/s"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "\n" + kFull + "\\sub0\n\n" + kFull +
                         "\\sub0\\deeper\n    Count    REG_DWORD    0x7\n\n");

    r = Qxreg({"query", kKey, "/v", "Count", "/s"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "\n" + kFull + "\n    Count    REG_DWORD    0x1a\n\n" + kFull +
                         "\\sub0\\deeper\n    Count    REG_DWORD    0x7\n\n"
                         "End of search: 2 match(es) found.\n");

    r = Qxreg({"query", kKey, "/v", "Missing"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "\n");
    EXPECT_EQ(r.err, kNotFound);

    r = Qxreg({"query", kKey + "\\Nowhere"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, kNotFound);
}

TEST_F(QxregTest, BadCommandLinesFailWithoutWriting) {
    const std::string syntax = "ERROR: Invalid syntax.\n";
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{}, syntax + "Type \"QXREG /?\" for usage.\n"},
        {{"query"}, syntax + "Type \"QXREG QUERY /?\" for usage.\n"},
        {{"query", kKey, "/v", "a", "/ve"}, syntax},
        {{"query", kKey, "/x"}, syntax},
        {{"query", kKey, "/v"}, syntax},
        {{"query", "HKU\\.DEFAULT"}, "ERROR: Invalid key name.\n"},
        {{"add", kKey, "/v", "a", "/v", "b"}, syntax},
        {{"add", kKey, "/v", "a", "/t", "REG_DWORD"}, syntax},
        {{"add", kKey, "/s", ",", "/d", "x"}, syntax},
        {{"add", kKey, "/v", "a", "/t", "REG_DWORD", "/d", "-1"},
         "ERROR: The data \"-1\" is not a number"},
        {{"add", kKey, "/v", "a", "/t", "REG_DWORD", "/d", "4294967296"}, "ERROR: The data"},
        {{"add", kKey, "/v", "a", "/t", "REG_BINARY", "/d", "0g"}, "ERROR: The data \"0g\" is not"},
        {{"add", kKey, "/v", "a", "/t", "REG_LINK", "/d", "x"},
         "ERROR: Unsupported value type \"REG_LINK\".\n"},
        {{"add", kKey, "/v", "a", "/t", "REG_MULTI_SZ", "/d", "a\\0\\0b"},
         "ERROR: A REG_MULTI_SZ value cannot hold an empty string"},
        {{"delete", "HKCU"}, "ERROR: Invalid key name.\n"},
        {{"delete", kKey, "/va", "/ve"}, syntax},
        {{"export", kKey}, syntax},
        {{"import"}, syntax},
        {{"frobnicate"}, "ERROR: Invalid argument/option - 'frobnicate'.\n"},
    };
    for (const auto& c : cases) {
        Outcome r = Qxreg(c.args);
        std::string shown;
        for (const auto& a : c.args)
            shown += a + " ";
        EXPECT_EQ(r.code, 1) << shown;
        EXPECT_EQ(r.out, "") << shown;
        EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << shown << "\n" << r.err;
    }
    qx::reg::Key k;
    EXPECT_EQ(qx::reg::Key::Open(qx::reg::Hive::CurrentUser, "Software\\QX Test",
                                 qx::reg::Access::Read, k),
              qx::ERROR_FILE_NOT_FOUND)
        << "a refused add must not create the key";

    Outcome help = Qxreg({"ADD", "/?"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("QXREG ADD KeyName"), std::string::npos);
}

TEST_F(QxregTest, SwitchesIgnoreCaseAndTakeEitherPrefix) {
    Outcome r = Qxreg({"ADD", kKey, "-V", "Mixed", "/T", "reg_dword", "-D", "5", "-F"});
    ASSERT_EQ(r.code, 0) << r.err;
    r = Qxreg({"Query", kKey, "-v", "MIXED"});
    EXPECT_EQ(r.out, "\n" + kFull + "\n    MIXED    REG_DWORD    0x5\n\n");
}

TEST_F(QxregTest, QuestionsBeforeOverwritingOrDeleting) {
    Add({"/v", "a", "/d", "1"});
    const std::string ask = "Value a exists, overwrite(Yes/No)? ";
    Outcome r = Qxreg({"add", kKey, "/v", "a", "/d", "2"}, "n\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, ask + "The operation was cancelled.\n");
    EXPECT_EQ(Text("a"), "1");

    r = Qxreg({"add", kKey, "/v", "a", "/d", "2"});  // no answer at all
    EXPECT_EQ(r.out, ask + "\nThe operation was cancelled.\n");
    EXPECT_EQ(Text("a"), "1");

    r = Qxreg({"add", kKey, "/v", "a", "/d", "2"}, "maybe\nYES\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, ask + ask + kDone);
    EXPECT_EQ(Text("a"), "2");

    r = Qxreg({"delete", kKey, "/v", "a"}, "no\n");
    EXPECT_EQ(r.out, "Delete the registry value a (Yes/No)? The operation was cancelled.\n");
    EXPECT_EQ(Text("a"), "2");
    r = Qxreg({"delete", kKey, "/v", "a"}, "y\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Delete the registry value a (Yes/No)? " + kDone);
    EXPECT_EQ(Text("a"), "<missing>");

    r = Qxreg({"delete", kKey, "/v", "a", "/f"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, kNotFound);

    Add({"/v", "b", "/d", "x"});
    Add({"/ve", "/d", "y"});
    ASSERT_EQ(Qxreg({"add", kKey + "\\Child"}).code, 0);
    r = Qxreg({"delete", kKey, "/va", "/f"});
    EXPECT_EQ(r.out, kDone);
    r = Qxreg({"query", kKey});
    EXPECT_EQ(r.out, "\n" + kFull + "\n" + kFull + "\\Child\n\n");

    r = Qxreg({"delete", kKey}, "y\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Permanently delete the registry key " + kFull + " (Yes/No)? " + kDone);
    EXPECT_EQ(Qxreg({"query", kKey}).code, 1);
    r = Qxreg({"delete", kKey, "/f"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, kNotFound);
}

TEST_F(QxregTest, ExportAndImportRestoreTheKey) {
    Add({"/v", "Text", "/d", "Grüße"});
    Add({"/v", "Count", "/t", "REG_DWORD", "/d", "3"});
    Add({"/v", "List", "/t", "REG_MULTI_SZ", "/d", "x\\0y"});
    ASSERT_EQ(Qxreg({"add", kKey + "\\Child", "/v", "In", "/d", "child"}).code, 0);
    std::string before = Qxreg({"query", kKey, "/s"}).out;

    std::string file = dir.Path() + "/test.reg";
    Outcome r = Qxreg({"export", kKey, file});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, kDone);
    std::string exported = ReadFile(file);
    EXPECT_EQ(exported.substr(0, 4), std::string("\xFF\xFEW\0", 4));

    // An existing file is replaced only when the user agrees or /y says so.
    { std::ofstream(file) << "marker"; }
    r = Qxreg({"export", kKey, file}, "n\n");
    EXPECT_EQ(r.out, "File " + file +
                         " already exists. Overwrite (Yes/No)? The operation was cancelled.\n");
    EXPECT_EQ(ReadFile(file), "marker");
    r = Qxreg({"export", kKey, file}, "y\n");
    EXPECT_EQ(ReadFile(file), exported);
    { std::ofstream(file) << "marker"; }
    r = Qxreg({"export", kKey, file, "/Y"});
    EXPECT_EQ(r.out, kDone);
    EXPECT_EQ(ReadFile(file), exported);

    ASSERT_EQ(Qxreg({"delete", kKey, "/f"}).code, 0);
    r = Qxreg({"import", file});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, kDone);
    EXPECT_EQ(Qxreg({"query", kKey, "/s"}).out, before);

    std::string bad = dir.Path() + "/bad.reg";
    {
        std::ofstream(bad)
            << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\QX Test\\New]\n\"v\"=hex:0x\n";
    }
    r = Qxreg({"import", bad});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("ERROR: " + bad + ", line 4: bad hex byte \"0x\"", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("nothing was imported"), std::string::npos) << r.err;
    EXPECT_EQ(Qxreg({"query", kKey + "\\New"}).code, 1);

    r = Qxreg({"import", dir.Path() + "/none.reg"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.rfind("ERROR: cannot read ", 0), 0u) << r.err;
    r = Qxreg({"export", kKey + "\\Nowhere", file, "/y"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, kNotFound);
}
