// Reading registry files: encoding, header, sections, values, continuation
// lines. The whole file is checked before anything is handed on, so a file
// with a fault anywhere changes nothing.

#include <cctype>
#include <cstring>

#include "HiveDatabase.h"
#include "RegFile.h"
#include "Utf16Text.h"
#include "platform/system/Win32Error.h"
#include "platform/text/Hex.h"

namespace qx::reg {

namespace {

constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRegedit4Header = "REGEDIT4";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i])
            return false;
    return true;
}

// A short quote of the offending text for messages.
std::string Excerpt(std::string_view s) {
    s = TrimRight(s);
    std::string out(s.substr(0, 40));
    if (s.size() > 40)
        out += "...";
    return "\"" + out + "\"";
}

// Turns the file's bytes into UTF-8 text.
bool DecodeFile(std::string_view bytes, std::string& text, std::string& error) {
    bool utf16 = false;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        bytes.remove_prefix(2);
        utf16 = true;
    } else if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
               static_cast<unsigned char>(bytes[1]) == 0xFF) {
        error = "line 1: the file is UTF-16 big-endian, which registry files never are";
        return false;
    } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    } else if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) {
        utf16 = true;  // UTF-16LE that lost its byte-order mark
    }
    if (!utf16) {
        text.assign(bytes);
        return true;
    }
    bool odd = bytes.size() % 2 != 0;
    size_t whole = bytes.size() - (odd ? 1 : 0);
    bool cutPair = false;
    if (whole >= 2) {
        unsigned last = static_cast<unsigned char>(bytes[whole - 2]) |
                        static_cast<unsigned>(static_cast<unsigned char>(bytes[whole - 1])) << 8;
        cutPair = last >= 0xD800 && last <= 0xDBFF;
    }
    Utf16leToUtf8(bytes.substr(0, whole), text);
    if (odd || cutPair) {
        size_t lines = 1;
        for (char c : text)
            lines += c == '\n';
        error = "line " + std::to_string(lines) +
                ": the file ends in the middle of a UTF-16 character (it was cut short)";
        return false;
    }
    return true;
}

class Parser {
  public:
    Parser(std::string_view text, RegFileContent& out) : m_text(text), m_out(out) {}

    bool Run(std::string& error);

  private:
    std::string_view m_text;
    size_t m_pos = 0;
    int m_line = 0;
    RegFileContent& m_out;

    bool m_haveSection = false;
    bool m_sectionDeleted = false;
    Hive m_hive = Hive::CurrentUser;
    std::string m_path;
    int m_sectionLine = 0;

    std::string m_error;

    bool NextLine(std::string_view& line);
    bool Fail(const std::string& message) {
        m_error = "line " + std::to_string(m_line) + ": " + message;
        return false;
    }
    bool Section(std::string_view s);
    bool ValueLine(std::string_view s);
    bool QuotedString(std::string_view& s, std::string& out, const char* what);
    bool Rest(std::string_view s, const char* after);
    bool HexData(std::string_view s, std::vector<uint8_t>& bytes);
};

bool Parser::NextLine(std::string_view& line) {
    if (m_pos >= m_text.size())
        return false;
    size_t end = m_text.find('\n', m_pos);
    if (end == std::string_view::npos)
        end = m_text.size();
    line = m_text.substr(m_pos, end - m_pos);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    m_pos = end + 1;
    ++m_line;
    return true;
}

bool Parser::Run(std::string& error) {
    std::string_view line;
    if (!NextLine(line)) {
        error = "line 1: the file is empty";
        return false;
    }
    line = TrimRight(line);
    if (line == kVersion5Header) {
        m_out.format = RegFileFormat::Version5;
    } else if (line == kRegedit4Header) {
        m_out.format = RegFileFormat::Regedit4;
    } else {
        error = "line 1: not a registry file: it must begin with \"" +
                std::string(kVersion5Header) + "\" or \"" + std::string(kRegedit4Header) + "\"";
        return false;
    }
    while (NextLine(line)) {
        std::string_view s = TrimLeft(line);
        bool ok = true;
        if (s.empty() || s.front() == ';')
            continue;
        if (s.front() == '[')
            ok = Section(s);
        else if (s.front() == '"' || s.front() == '@')
            ok = ValueLine(s);
        else
            ok =
                Fail("unexpected text " + Excerpt(s) + " (neither a [key], a value nor a comment)");
        if (!ok) {
            error = m_error;
            return false;
        }
    }
    return true;
}

bool Parser::Section(std::string_view s) {
    s = TrimRight(s);
    if (s.size() < 2 || s.back() != ']')
        return Fail("missing ']' at the end of the key name");
    std::string_view inner = s.substr(1, s.size() - 2);
    bool deleted = !inner.empty() && inner.front() == '-';
    if (deleted)
        inner.remove_prefix(1);
    if (inner.empty())
        return Fail("empty key name");
    std::string_view root = inner.substr(0, inner.find('\\'));
    auto hive = ParseHive(root);
    if (!hive)
        return Fail("unknown root key \"" + std::string(root) +
                    "\" (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are kept)");
    std::string path;
    if (root.size() < inner.size()) {
        for (const auto& seg : SplitPath(inner.substr(root.size() + 1))) {
            if (seg.size() > 255)
                return Fail("a key name is longer than 255 characters");
            if (!path.empty())
                path += '\\';
            path += seg;
        }
    }
    if (deleted && path.empty())
        return Fail("a root key cannot be deleted");

    m_haveSection = true;
    m_sectionDeleted = deleted;
    m_hive = *hive;
    m_path = path;
    m_sectionLine = m_line;
    RegFileOp op;
    op.kind = deleted ? RegFileOp::Kind::DeleteKey : RegFileOp::Kind::CreateKey;
    op.hive = *hive;
    op.path = std::move(path);
    op.line = m_line;
    m_out.ops.push_back(std::move(op));
    return true;
}

// A quoted text at the start of s, with the escapes regedit writes (\\ and
// \") and \n, \r for line breaks; other backslashes stay as they are.
bool Parser::QuotedString(std::string_view& s, std::string& out, const char* what) {
    out.clear();
    for (size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\' && i + 1 < s.size()) {
            char n = s[i + 1];
            if (n == '\\' || n == '"' || n == 'n' || n == 'r') {
                out.push_back(n == 'n' ? '\n' : n == 'r' ? '\r' : n);
                ++i;
                continue;
            }
        }
        out.push_back(c);
    }
    return Fail(std::string("unterminated ") + what + " (missing closing quote)");
}

// Only blanks or a comment may follow the data.
bool Parser::Rest(std::string_view s, const char* after) {
    s = TrimLeft(s);
    if (s.empty() || s.front() == ';')
        return true;
    return Fail("unexpected text " + Excerpt(s) + " after " + after);
}

bool Parser::HexData(std::string_view s, std::vector<uint8_t>& bytes) {
    auto token = [](std::string_view t) {
        size_t n = 0;
        while (n < t.size() && t[n] != ',' && !IsBlank(t[n]))
            ++n;
        return Excerpt(t.substr(0, n));
    };
    for (;;) {
        bool more = false;
        for (;;) {
            s = TrimLeft(s);
            if (s.empty() || s.front() == ';')
                break;
            if (s.front() == '\\') {
                if (!TrimLeft(s.substr(1)).empty())
                    return Fail("unexpected text " + Excerpt(s) + " in hex data");
                more = true;
                break;
            }
            size_t len = 0;
            int value = 0;
            for (; len < s.size() && HexDigit(s[len]) >= 0; ++len)
                if (len < 2)
                    value = value * 16 + HexDigit(s[len]);
            bool ends = len == s.size() || s[len] == ',' || IsBlank(s[len]) || s[len] == '\\' ||
                        s[len] == ';';
            if (len == 0 || len > 2 || !ends)
                return Fail("bad hex byte " + token(s) + " (two hex digits per byte expected)");
            bytes.push_back(static_cast<uint8_t>(value));
            s = TrimLeft(s.substr(len));
            if (!s.empty() && s.front() == ',')
                s.remove_prefix(1);
            else if (!s.empty() && s.front() != '\\' && s.front() != ';')
                return Fail("missing ',' between hex bytes before " + token(s));
        }
        if (!more)
            return true;
        // The data goes on after the backslash; comment lines may come between.
        std::string_view next;
        do {
            if (!NextLine(next))
                return Fail("hex data continues past the end of the file");
            next = TrimLeft(next);
        } while (!next.empty() && next.front() == ';');
        if (next.empty())
            return Fail("hex data continues onto an empty line");
        s = next;
    }
}

bool Parser::ValueLine(std::string_view s) {
    int startLine = m_line;
    RegFileOp op;
    if (s.front() == '@') {
        s.remove_prefix(1);
    } else if (!QuotedString(s, op.name, "value name")) {
        return false;
    }
    s = TrimLeft(s);
    if (s.empty() || s.front() != '=')
        return Fail("missing '=' after the value name");
    s = TrimLeft(s.substr(1));
    if (!m_haveSection)
        return Fail("value outside of a [key] section");
    if (m_sectionDeleted)
        return Fail("value in the section of a deleted key (line " + std::to_string(m_sectionLine) +
                    ")");
    op.hive = m_hive;
    op.path = m_path;
    op.line = startLine;

    if (s.empty())
        return Fail("missing value data after '='");
    if (s.front() == '"') {
        std::string text;
        if (!QuotedString(s, text, "string") || !Rest(s, "the string"))
            return false;
        op.kind = RegFileOp::Kind::SetValue;
        op.value = Value::String(text);
    } else if (s.front() == '-') {
        if (!Rest(s.substr(1), "'-'"))
            return false;
        op.kind = RegFileOp::Kind::DeleteValue;
    } else if (StartsWithNoCase(s, "dword:")) {
        std::string_view digits = TrimLeft(s.substr(6));
        size_t n = 0;
        uint32_t v = 0;
        while (n < digits.size() && HexDigit(digits[n]) >= 0) {
            v = v * 16 + static_cast<uint32_t>(HexDigit(digits[n]));
            ++n;
        }
        if (n == 0 || n > 8)
            return Fail("bad dword value " + Excerpt(s) + " (1 to 8 hex digits expected)");
        if (!Rest(digits.substr(n), "the dword value"))
            return false;
        op.kind = RegFileOp::Kind::SetValue;
        op.value = Value::Dword(v);
    } else if (StartsWithNoCase(s, "hex")) {
        std::string_view t = s.substr(3);
        uint32_t type = REG_BINARY;
        if (!t.empty() && t.front() == '(') {
            size_t close = t.find(')');
            std::string_view num =
                close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1);
            if (close == std::string_view::npos || num.empty() || num.size() > 8)
                return Fail("bad value type in " + Excerpt(s) +
                            " (hex(N): with N in hex expected)");
            type = 0;
            for (char c : num) {
                if (HexDigit(c) < 0)
                    return Fail("bad value type in " + Excerpt(s) +
                                " (hex(N): with N in hex expected)");
                type = type * 16 + static_cast<uint32_t>(HexDigit(c));
            }
            t.remove_prefix(close + 1);
        }
        if (t.empty() || t.front() != ':')
            return Fail("missing ':' after " + Excerpt(s.substr(0, 8)));
        std::vector<uint8_t> bytes;
        if (!HexData(t.substr(1), bytes))
            return false;
        op.kind = RegFileOp::Kind::SetValue;
        op.value.type = type;
        bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
        if (text && m_out.format == RegFileFormat::Version5) {
            std::string utf8;
            std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            if (!Utf16leToUtf8(raw, utf8)) {
                m_line = startLine;
                return Fail("the " + TypeName(type) +
                            " data is not UTF-16LE (an odd number of bytes), as a version 5 "
                            "file needs");
            }
            op.value.data.assign(utf8.begin(), utf8.end());
        } else {
            op.value.data = std::move(bytes);
        }
    } else {
        return Fail("unrecognised value data " + Excerpt(s) +
                    " (expected \"text\", dword:, hex: or hex(N):)");
    }
    m_out.ops.push_back(std::move(op));
    return true;
}

}  // namespace

long ParseRegFile(std::string_view bytes, RegFileContent& out, std::string* error) {
    std::string text, message;
    RegFileContent parsed;
    if (DecodeFile(bytes, text, message)) {
        Parser parser(text, parsed);
        if (parser.Run(message)) {
            out = std::move(parsed);
            return ERROR_SUCCESS;
        }
    }
    if (error)
        *error = message;
    return ERROR_INVALID_DATA;
}

}  // namespace qx::reg
