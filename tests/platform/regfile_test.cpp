// Registry files: the exact layout of the Windows tools, lossless round trips
// of every value type in both formats, the hand-written and 8-bit formats,
// deletions by import, and malformed files that must change nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/registry/RegFile.h"
#include "platform/registry/RegistryKey.h"
#include "platform/registry/Utf16Text.h"
#include "platform/system/Win32Error.h"
#include "support/TempRegistry.h"

using namespace qx;
using namespace qx::reg;
using namespace std::literals;

namespace {

const char* const kClient = "Software\\KORVALEN\\Quorvia KORVALEN Client";

std::string DataFile(const std::string& name) {
    for (const char* sub : {"/data/", "/platform/data/"}) {
        std::string path = qxtest::SourceDir() + sub + name;
        if (std::filesystem::exists(path))
            return path;
    }
    return qxtest::SourceDir() + "/data/" + name;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

Value Raw(uint32_t type, std::string_view bytes) {
    return Value::Binary(std::vector<uint8_t>(bytes.begin(), bytes.end()), type);
}

// Every key and value below hive\path, one line each, for comparing stores.
std::vector<std::string> Dump(Hive hive, const std::string& path) {
    std::vector<std::string> lines;
    std::vector<std::string> pending{path};
    while (!pending.empty()) {
        std::string p = pending.back();
        pending.pop_back();
        Key k;
        if (Key::Open(hive, p, Access::Read, k)) {
            lines.push_back("missing " + p);
            continue;
        }
        lines.push_back("[" + k.Path() + "]");
        std::vector<std::pair<std::string, Value>> values;
        k.Values(values);
        for (const auto& [name, v] : values) {
            std::string line = "  " + name + " " + TypeName(v.type) + " ";
            for (uint8_t b : v.data)
                line += std::to_string(b) + ",";
            lines.push_back(line);
        }
        std::vector<std::string> subs;
        k.SubKeyNames(subs);
        for (auto it = subs.rbegin(); it != subs.rend(); ++it)
            pending.push_back(p + "\\" + *it);
    }
    return lines;
}

Value Get(Hive hive, const std::string& path, const std::string& name) {
    Key k;
    Value v;
    v.type = 0xDEAD;
    if (Key::Open(hive, path, Access::Read, k) == ERROR_SUCCESS)
        k.GetValue(name, v);
    return v;
}

bool Exists(Hive hive, const std::string& path) {
    Key k;
    return Key::Open(hive, path, Access::Read, k) == ERROR_SUCCESS;
}

class RegFileTest : public ::testing::Test {
  protected:
    qxtest::TempRegistry store;
    qxtest::TempDir dir;
    std::string File(const char* name) const { return dir.Path() + "/" + name; }
};

}  // namespace

// The fixture is written by hand in the layout regedit and reg export give;
// importing it and exporting the key again must give it back byte for byte.
TEST_F(RegFileTest, WindowsExportImportsAndExportsByteForByte) {
    std::string error;
    ASSERT_EQ(ImportRegFile(DataFile("windows-export.reg"), &error), ERROR_SUCCESS) << error;

    std::string client = kClient;
    EXPECT_EQ(Get(Hive::CurrentUser, client, "Übersicht – Büro"),
              Value::String("Drucker „Empfang“ 受付 😀"));
    EXPECT_EQ(Get(Hive::CurrentUser, client, "Path"),
              Value::String("C:\\Program Files\\Quorvia\\\"KORVALEN\""));
    EXPECT_EQ(Get(Hive::CurrentUser, client, "InstallDir"),
              Value::String("%ProgramFiles%\\Quorvia\\KORVALEN", REG_EXPAND_SZ));
    EXPECT_EQ(Get(Hive::CurrentUser, client, "Families"),
              Value::MultiString({"KORVALEN", "ORVEN", "Drucker für Büro"}));
    EXPECT_EQ(Get(Hive::CurrentUser, client, "Serial"), Value::Qword(0x0123456789abcdefull));
    EXPECT_EQ(Get(Hive::CurrentUser, client, "Marker"), Raw(REG_NONE, ""));
    EXPECT_EQ(Get(Hive::CurrentUser, client, "Custom"), Raw(0x100, "%PATH%\0\0"sv));
    EXPECT_EQ(Get(Hive::CurrentUser, client + "\\QX-Tendra", "DoIpDiscoveryRangeTo"),
              Value::String("10.1.0.254"));
    EXPECT_TRUE(Exists(Hive::CurrentUser, client + "\\QX-Tendra\\Submissions"));

    ASSERT_EQ(ExportRegFile(Hive::CurrentUser, client, File("out.reg"), &error), ERROR_SUCCESS)
        << error;
    std::string expected = ReadFile(DataFile("windows-export.reg"));
    std::string actual = ReadFile(File("out.reg"));
    EXPECT_EQ(actual.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(actual.substr(actual.size() - 8), std::string("\r\0\n\0\r\0\n\0", 8));
    if (actual != expected) {
        std::string a, e;
        Utf16leToUtf8(std::string_view(actual).substr(2), a);
        Utf16leToUtf8(std::string_view(expected).substr(2), e);
        EXPECT_EQ(a, e);
        FAIL() << "the export differs from the fixture";
    }
}

class RegFileRoundTrip : public RegFileTest, public ::testing::WithParamInterface<RegFileFormat> {};

TEST_P(RegFileRoundTrip, EveryValueTypeComesBackExactly) {
    const std::string top = "Software\\Round Trip";
    Key k;
    ASSERT_EQ(Key::Create(Hive::LocalMachine, top, k), ERROR_SUCCESS);
    const std::vector<std::pair<std::string, Value>> values = {
        {"", Value::String("default")},
        {"ascii", Value::String("10.1.0.1")},
        {"non-ascii", Value::String("Grüße – 受付 😀")},
        {"empty", Value::String("")},
        {"escapes", Value::String("C:\\dir\\\"quoted\" \\\\")},
        {"line breaks", Value::String("one\r\ntwo\n")},
        {"no terminator", Raw(REG_SZ, "abc")},
        {"no bytes", Raw(REG_SZ, "")},
        {"inner zero", Raw(REG_SZ, "a\0b\0"sv)},
        {"not utf-8", Raw(REG_SZ, "\xff\xfe\xc3(\0"sv)},
        {"expand", Value::String("%APPDATA%\\Büro", REG_EXPAND_SZ)},
        {"expand empty", Value::String("", REG_EXPAND_SZ)},
        {"expand not utf-8", Raw(REG_EXPAND_SZ, "\xed\xa0\x80\x80\0"sv)},
        {"multi", Value::MultiString({"eins", "zwei", "drei ä"})},
        {"multi empty", Value::MultiString({})},
        {"dword", Value::Dword(10)},
        {"dword short", Raw(REG_DWORD, "\x01\x02")},
        {"big endian", Raw(REG_DWORD_BIG_ENDIAN, "\x00\x00\x01\x02"sv)},
        {"qword", Value::Qword(0xfedcba9876543210ull)},
        {"binary", Raw(REG_BINARY, std::string(100, '\xab'))},
        {"binary empty", Raw(REG_BINARY, "")},
        {"none", Raw(REG_NONE, "")},
        {"none data", Raw(REG_NONE, "x\0"sv)},
        {"custom type", Raw(0x100, "\x01")},
        {"quote\"and\\back", Value::Dword(1)},
        {"Näme 名前", Value::Dword(2)},
        {"name\nwith break", Value::Dword(3)},
    };
    for (const auto& [name, v] : values)
        ASSERT_EQ(k.SetValue(name, v), ERROR_SUCCESS) << name;
    for (const char* sub : {"Sub", "sub2\\deeper\\deepest", "Empty", "Ärger", "a]b", "X y"}) {
        Key s;
        ASSERT_EQ(k.Create(sub, s), ERROR_SUCCESS);
        ASSERT_EQ(s.SetString("in", sub), ERROR_SUCCESS);
    }
    std::vector<std::string> before = Dump(Hive::LocalMachine, top);

    std::string error;
    ASSERT_EQ(ExportRegFile(Hive::LocalMachine, top, File("a.reg"), &error, GetParam()),
              ERROR_SUCCESS)
        << error;
    Key root;
    ASSERT_EQ(Key::Open(Hive::LocalMachine, "", Access::All, root), ERROR_SUCCESS);
    ASSERT_EQ(root.DeleteTree(top), ERROR_SUCCESS);
    ASSERT_FALSE(Exists(Hive::LocalMachine, top));

    ASSERT_EQ(ImportRegFile(File("a.reg"), &error), ERROR_SUCCESS) << error;
    EXPECT_EQ(Dump(Hive::LocalMachine, top), before);
    ASSERT_EQ(ExportRegFile(Hive::LocalMachine, top, File("b.reg"), &error, GetParam()),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadFile(File("a.reg")), ReadFile(File("b.reg")));

    // The forms that carry the odd strings.
    std::string text = ReadFile(File("a.reg"));
    if (GetParam() == RegFileFormat::Version5) {
        std::string utf8;
        ASSERT_TRUE(Utf16leToUtf8(std::string_view(text).substr(2), utf8));
        text = utf8;
        EXPECT_NE(text.find("\r\n\"no terminator\"=hex(1):61,00,62,00,63,00\r\n"),
                  std::string::npos);
        EXPECT_NE(text.find("\r\n\"multi empty\"=hex(7):00,00\r\n"), std::string::npos);
    } else {
        EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Round Trip]\r\n", 0),
                  0u);
        EXPECT_NE(text.find("\r\n\"no terminator\"=hex(1):61,62,63\r\n"), std::string::npos);
    }
    EXPECT_NE(text.find("\r\n\"empty\"=\"\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"no bytes\"=hex(1):\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"quote\\\"and\\\\back\"=dword:00000001\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"dword short\"=hex(4):01,02\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"name\\nwith break\"=dword:00000003\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Formats, RegFileRoundTrip,
                         ::testing::Values(RegFileFormat::Version5, RegFileFormat::Regedit4),
                         [](const auto& p) {
                             return p.param == RegFileFormat::Version5 ? "Version5" : "Regedit4";
                         });

TEST_F(RegFileTest, HandWrittenUtf8FileWithShortRootNames) {
    std::string tendra = std::string(kClient) + "\\QX-Tendra";
    Key k;
    ASSERT_EQ(Key::Create(Hive::CurrentUser, tendra, k), ERROR_SUCCESS);
    k.SetString("Obsolete", "x");
    ASSERT_EQ(Key::Create(Hive::CurrentUser, "Software\\KORVALEN\\Old Client\\Deep", k), 0);

    std::string bytes = ReadFile(DataFile("utf8.reg"));
    std::string error;
    for (const std::string& variant : {bytes, "\xEF\xBB\xBF" + bytes}) {
        ASSERT_EQ(ImportRegData(variant, "utf8.reg", &error), ERROR_SUCCESS) << error;
        EXPECT_EQ(Get(Hive::CurrentUser, tendra, "DoIpDiscovery"), Value::Dword(1));
        EXPECT_EQ(Get(Hive::CurrentUser, tendra, "DoIpDiscoveryRangeFrom"),
                  Value::String("10.2.0.1"));
        EXPECT_EQ(Get(Hive::CurrentUser, tendra, "Name"), Value::String("Büro 3. Stock"));
        EXPECT_EQ(Get(Hive::CurrentUser, tendra, "Families"),
                  Value::MultiString({"KORVALEN", "ORVEN"}));
        EXPECT_EQ(Get(Hive::CurrentUser, tendra, "Raw"), Raw(REG_BINARY, "\x01\x02\x03"));
        EXPECT_EQ(Get(Hive::CurrentUser, tendra, "").AsString(), "Standard");
        EXPECT_EQ(Get(Hive::CurrentUser, tendra, "Obsolete").type, 0xDEADu);
        EXPECT_FALSE(Exists(Hive::CurrentUser, "Software\\KORVALEN\\Old Client"));
        EXPECT_EQ(Get(Hive::LocalMachine, "SOFTWARE\\Quorvia\\Shared", "Installed"),
                  Value::Qword(1));
        EXPECT_EQ(Get(Hive::ClassesRoot, "AppID\\{83FAAC57-2F56-4652-866D-E486522C4F8D}", ""),
                  Value::String("KORVALENMISvr"));
    }
}

TEST_F(RegFileTest, Regedit4FileHoldsEightBitText) {
    std::string error;
    ASSERT_EQ(ImportRegFile(DataFile("regedit4.reg"), &error), ERROR_SUCCESS) << error;
    const std::string key = "Software\\ORVEN\\Client";
    EXPECT_EQ(Get(Hive::CurrentUser, key, "Name"), Value::String("Drucker Büro"));
    EXPECT_EQ(Get(Hive::CurrentUser, key, "Dir"),
              Value::String("%PROGRAMFILES%\\Quorvia", REG_EXPAND_SZ));
    EXPECT_EQ(Get(Hive::CurrentUser, key, "Families"), Value::MultiString({"KORVALEN", "ORVEN"}));
    EXPECT_EQ(Get(Hive::CurrentUser, key, "Text"), Value::String("ä"));
    EXPECT_EQ(Get(Hive::CurrentUser, key, "Count"), Value::Dword(3));
}

TEST_F(RegFileTest, ImportDeletesKeysAndValues) {
    Key k;
    ASSERT_EQ(Key::Create(Hive::CurrentUser, "Software\\Gone\\A\\B", k), ERROR_SUCCESS);
    ASSERT_EQ(Key::Create(Hive::CurrentUser, "Software\\GoneToo", k), ERROR_SUCCESS);
    ASSERT_EQ(Key::Create(Hive::CurrentUser, "Software\\Kept", k), ERROR_SUCCESS);
    k.SetString("", "default");
    k.SetString("drop", "x");
    k.SetString("stay", "y");

    const char* file =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[-HKEY_CURRENT_USER\\Software\\gone]\r\n\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Never Was]\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Kept]\r\n"
        "\"DROP\"=-\r\n"
        "@=-\r\n"
        "\"missing\"=-\r\n";
    std::string error;
    ASSERT_EQ(ImportRegData(file, "", &error), ERROR_SUCCESS) << error;
    EXPECT_FALSE(Exists(Hive::CurrentUser, "Software\\Gone"));
    EXPECT_TRUE(Exists(Hive::CurrentUser, "Software\\GoneToo"));
    EXPECT_EQ(Dump(Hive::CurrentUser, "Software\\Kept"),
              (std::vector<std::string>{"[Software\\Kept]", "  stay REG_SZ 121,0,"}));
}

TEST_F(RegFileTest, MalformedFilesChangeNothing) {
    const std::string head =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Early]\r\n";
    struct Case {
        std::string text;
        const char* message;
    };
    const std::vector<Case> cases = {
        {head + "\"b\"=hex:01,zz,03\r\n", "line 4: bad hex byte \"zz\""},
        {head + "\"b\"=hex:01,023\r\n", "line 4: bad hex byte \"023\""},
        {head + "\"b\"=hex:01 02\r\n", "line 4: missing ','"},
        {head + "\"b\"=hex(2):41,00,42\r\n", "line 4: the REG_EXPAND_SZ data is not UTF-16LE"},
        {head + "\"b\"=hex(zz):00\r\n", "line 4: bad value type"},
        {head + "\"b\"=hex:01,\\\r\n  02,\\\r\n", "line 5: hex data continues past the end"},
        {head + "\"b\"=hex:01,\\\r\n\r\n  02\r\n", "line 5: hex data continues onto an empty line"},
        {head + "\"s\"=\"abc\r\n", "line 4: unterminated string"},
        {head + "\"s\"=\"abc\\\"\r\n", "line 4: unterminated string"},
        {head + "\"a\"=\"1\"\r\n\"x\"=\"2\r\n", "line 5: unterminated string"},
        {head + "\"abc=1\r\n", "line 4: unterminated value name"},
        {head + "\"a\" \"b\"\r\n", "line 4: missing '='"},
        {head + "\"a\"=\r\n", "line 4: missing value data"},
        {head + "\"a\"=\"x\" y\r\n", "line 4: unexpected text \"y\" after the string"},
        {head + "\"a\"=dword:123456789\r\n", "line 4: bad dword value"},
        {head + "\"a\"=dword:12g\r\n", "line 4: unexpected text \"g\""},
        {head + "\"a\"=text\r\n", "line 4: unrecognised value data \"text\""},
        {head + "\r\n[HKEY_CURRENT_USER\\Software\\Late\r\n", "line 5: missing ']'"},
        {head + "[HKEY_USERS\\.DEFAULT]\r\n", "line 4: unknown root key \"HKEY_USERS\""},
        {head + "[]\r\n", "line 4: empty key name"},
        {head + "[-HKEY_CURRENT_USER]\r\n", "line 4: a root key cannot be deleted"},
        {head + "[-HKCU\\Software\\Old]\r\n\"a\"=\"1\"\r\n",
         "line 5: value in the section of a deleted key (line 4)"},
        {head + "junk\r\n", "line 4: unexpected text \"junk\""},
        {"Windows Registry Editor Version 5.00\r\n\"a\"=\"1\"\r\n",
         "line 2: value outside of a [key]"},
        {"Windows Registry Editor Version 4.00\r\n", "line 1: not a registry file"},
        {"", "line 1: the file is empty"},
        {"\xFE\xFF\0W", "UTF-16 big-endian"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(ImportRegData(c.text, "bad.reg", &error), ERROR_INVALID_DATA) << c.message;
        EXPECT_EQ(error.rfind("bad.reg, ", 0), 0u) << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_NE(error.find("nothing was imported"), std::string::npos) << error;
        EXPECT_FALSE(Exists(Hive::CurrentUser, "Software\\Early")) << c.message;
    }

    // A UTF-16 file cut in the middle of a character, or of a surrogate pair.
    std::string good = "\xFF\xFE" + Utf8ToUtf16le(head + "\"a\"=\"😀");
    for (size_t cut : {1u, 2u}) {
        std::string error;
        EXPECT_EQ(ImportRegData(good.substr(0, good.size() - cut), "", &error), ERROR_INVALID_DATA);
        EXPECT_NE(error.find("line 4: the file ends in the middle of a UTF-16 character"),
                  std::string::npos)
            << error;
    }
    EXPECT_FALSE(Exists(Hive::CurrentUser, "Software\\Early"));
}

// However a file is cut short, reading it ends in a result, never a crash.
TEST_F(RegFileTest, EveryPrefixOfAFileParsesOrFailsCleanly) {
    for (const char* name : {"windows-export.reg", "utf8.reg", "regedit4.reg"}) {
        std::string bytes = ReadFile(DataFile(name));
        ASSERT_FALSE(bytes.empty()) << name;
        for (size_t n = 0; n <= bytes.size(); ++n) {
            RegFileContent content;
            std::string error;
            long err = ParseRegFile(std::string_view(bytes).substr(0, n), content, &error);
            ASSERT_TRUE(err == ERROR_SUCCESS ||
                        (err == ERROR_INVALID_DATA && error.rfind("line ", 0) == 0))
                << name << " cut at " << n << ": " << error;
        }
    }
}

TEST_F(RegFileTest, FailedWriteStopsTheImportAndSaysWhereItStopped) {
    std::string tooLong(16384, 'n');
    std::string file =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\First]\r\n"
        "\"a\"=\"1\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Second]\r\n"
        "\"" +
        tooLong +
        "\"=\"2\"\r\n"
        "\"c\"=\"3\"\r\n";
    std::string error;
    EXPECT_EQ(ImportRegData(file, "x.reg", &error), ERROR_INVALID_PARAMETER);
    EXPECT_NE(error.find("x.reg, line 7: cannot set the value"), std::string::npos) << error;
    EXPECT_NE(error.find("the changes before line 7 were applied, the rest of the file was not"),
              std::string::npos)
        << error;
    EXPECT_EQ(Get(Hive::CurrentUser, "Software\\First", "a"), Value::String("1"));
    EXPECT_TRUE(Exists(Hive::CurrentUser, "Software\\Second"));
    EXPECT_EQ(Get(Hive::CurrentUser, "Software\\Second", "c").type, 0xDEADu);
}

TEST_F(RegFileTest, FileAndKeyErrors) {
    std::string error;
    EXPECT_EQ(ImportRegFile(File("missing.reg"), &error), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(error.find("missing.reg"), std::string::npos) << error;
    EXPECT_EQ(ImportRegFile(dir.Path(), &error), ERROR_ACCESS_DENIED);

    EXPECT_EQ(ExportRegFile(Hive::CurrentUser, "Software\\Nothing", File("x.reg"), &error),
              ERROR_FILE_NOT_FOUND);
    EXPECT_NE(error.find("HKEY_CURRENT_USER\\Software\\Nothing"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(File("x.reg")));

    Key k;
    ASSERT_EQ(Key::Create(Hive::CurrentUser, "Software\\Fine", k), ERROR_SUCCESS);
    EXPECT_EQ(ExportRegFile(Hive::CurrentUser, "Software\\Fine", File("no/such/dir.reg"), &error),
              ERROR_FILE_NOT_FOUND);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;

    // A line break in a key name has no form in a registry file.
    ASSERT_EQ(Key::Create(Hive::CurrentUser, "Software\\Fine\\two\nlines", k), ERROR_SUCCESS);
    EXPECT_EQ(ExportRegFile(Hive::CurrentUser, "Software\\Fine", File("x.reg"), &error),
              ERROR_INVALID_DATA);
    EXPECT_NE(error.find("line break"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(File("x.reg")));
}

TEST(Utf16TextTest, ConversionIsLosslessForAnyBytes) {
    std::string wide = Utf8ToUtf16le("aä😀");
    EXPECT_EQ(wide, std::string("a\0\xe4\0\x3d\xd8\x00\xde", 8));
    std::mt19937 rng(7);
    std::vector<std::string> samples = {"",         std::string("\0", 1), "\xff",
                                        "\xc3",     "\xed\xa0\x80",       "\xf4\x90\x80\x80",
                                        "\xc0\xaf", "a\xe2\x82"};
    for (int i = 0; i < 200; ++i) {
        std::string s(static_cast<size_t>(rng() % 24), '\0');
        for (char& c : s)
            c = static_cast<char>(rng());
        samples.push_back(s);
    }
    for (const auto& s : samples) {
        std::string back;
        ASSERT_TRUE(Utf16leToUtf8(Utf8ToUtf16le(s), back));
        EXPECT_EQ(back, s);
    }
    std::string out = "kept";
    EXPECT_FALSE(Utf16leToUtf8("abc", out));
    EXPECT_EQ(out, "kept");
    EXPECT_TRUE(IsValidUtf8("Grüße 😀"));
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));  // a surrogate
}
