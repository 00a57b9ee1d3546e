// Writing registry files exactly as the Windows registry tools do, so that a
// file exported here reads the same on either side and an export, delete,
// import and export again gives the identical file.

#include <cstdio>

#include "HiveDatabase.h"
#include "RegFile.h"
#include "RegistryKey.h"
#include "Utf16Text.h"
#include "platform/system/Win32Error.h"

namespace qx::reg {

namespace {

// regedit breaks hex data after the comma that takes a line to this many
// characters, and indents the continuation by two blanks.
constexpr size_t kMaxHexChars = 77;

std::string Escape(std::string_view text, bool lineBreaks) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out.push_back('\\');
            out.push_back(c);
        } else if (lineBreaks && (c == '\n' || c == '\r')) {
            out += c == '\n' ? "\\n" : "\\r";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// A REG_SZ goes out as "text" only when reading that back gives the same
// bytes: valid UTF-8, one terminating zero and no other, no line break
// (regedit would write it raw and no reader takes that back). Anything else
// keeps its exact bytes as hex(1):.
bool WritableAsText(const Value& v) {
    if (v.type != REG_SZ || v.data.empty() || v.data.back() != 0)
        return false;
    std::string_view text(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1);
    return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos &&
           IsValidUtf8(text);
}

void AppendHex(std::string& out, size_t lineLength, uint32_t type, std::string_view bytes) {
    char prefix[20];
    if (type == REG_BINARY)
        std::snprintf(prefix, sizeof prefix, "hex:");
    else
        std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
    out += prefix;
    lineLength += std::string_view(prefix).size();
    static const char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 15]);
        if (i + 1 == bytes.size())
            break;
        out.push_back(',');
        lineLength += 3;
        if (lineLength >= kMaxHexChars) {
            out += "\\\r\n  ";
            lineLength = 2;
        }
    }
}

void AppendValue(std::string& out, const std::string& name, const Value& v, RegFileFormat format) {
    std::string head = name.empty() ? "@=" : "\"" + Escape(name, true) + "\"=";
    out += head;
    if (WritableAsText(v)) {
        std::string_view text(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1);
        out += "\"" + Escape(text, false) + "\"";
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        char buf[20];
        std::snprintf(buf, sizeof buf, "dword:%08x", *v.AsDword());
        out += buf;
    } else {
        std::string_view raw(reinterpret_cast<const char*>(v.data.data()), v.data.size());
        bool text = v.type == REG_SZ || v.type == REG_EXPAND_SZ || v.type == REG_MULTI_SZ;
        std::string wide;
        if (text && format == RegFileFormat::Version5) {
            wide = Utf8ToUtf16le(raw);
            raw = wide;
        }
        AppendHex(out, Utf16Length(head), v.type, raw);
    }
    out += "\r\n";
}

long Fail(long code, const std::string& message, std::string* error) {
    if (error)
        *error = message;
    return code;
}

}  // namespace

long FormatRegFile(Hive hive, std::string_view keyPath, RegFileFormat format, std::string& bytes,
                   std::string* error) {
    Key top;
    if (long err = Key::Open(hive, keyPath, Access::Read, top)) {
        std::string full = HiveName(hive);
        if (!SplitPath(keyPath).empty())
            full += "\\" + std::string(keyPath);
        return Fail(err, "cannot export " + full + ": " + SystemMessageLine(err), error);
    }
    std::string text = format == RegFileFormat::Version5
                           ? "Windows Registry Editor Version 5.00\r\n"
                           : "REGEDIT4\r\n";
    // Depth first without recursion: a deep tree must not exhaust the stack.
    std::vector<Key> pending{top};
    while (!pending.empty()) {
        Key key = std::move(pending.back());
        pending.pop_back();
        std::string full = key.FullPath();
        if (full.find_first_of("\r\n") != std::string::npos)
            return Fail(ERROR_INVALID_DATA,
                        "cannot export " + Escape(full, true) +
                            ": the key name has a line break, which a registry file cannot hold",
                        error);
        text += "\r\n[" + full + "]\r\n";
        std::vector<std::pair<std::string, Value>> values;
        std::vector<std::string> subKeys;
        long err = key.Values(values);
        if (!err)
            err = key.SubKeyNames(subKeys);
        if (err)
            return Fail(err, "cannot read " + full + ": " + SystemMessageLine(err), error);
        for (const auto& [name, value] : values)
            AppendValue(text, name, value, format);
        for (auto it = subKeys.rbegin(); it != subKeys.rend(); ++it) {
            Key sub;
            err = key.Open(*it, Access::Read, sub);
            if (err == ERROR_FILE_NOT_FOUND)
                continue;  // deleted meanwhile by another process
            if (err)
                return Fail(err, "cannot open " + full + "\\" + *it + ": " + SystemMessageLine(err),
                            error);
            pending.push_back(std::move(sub));
        }
    }
    text += "\r\n";
    if (format == RegFileFormat::Version5)
        bytes = "\xFF\xFE" + Utf8ToUtf16le(text);
    else
        bytes = std::move(text);
    return ERROR_SUCCESS;
}

}  // namespace qx::reg
