// qxctl device get: one element of a device, read as the device state reader
// reads it (mapping files beside the program, one SNMPv1 GET or GET-NEXT).
// qxctl device snapshot (DeviceSnapshot.cpp): the whole summary table.

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Commands.h"
#include "model/MIBMappingTable.h"
#include "model/SnmpReader.h"
#include "model/SnmpRequest.h"
#include "settings/Settings.h"

namespace qxctl {

namespace {

bool IsNumberSyntax(int32_t syntax) {
    switch (syntax) {
        case qx::MIB_SYNTAX_INTEGER:
        case qx::MIB_SYNTAX_COUNTER32:
        case qx::MIB_SYNTAX_GAUGE32:
        case qx::MIB_SYNTAX_TIMETICKS:
        case qx::MIB_SYNTAX_UNSIGNED32:
            return true;
        default:
            return false;
    }
}

// UTF-8 without control characters.
bool IsShowableText(const char* text) {
    QByteArray bytes(text);
    for (unsigned char c : bytes)
        if (c < 0x20 || c == 0x7F)
            return false;
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "qxctl device get: %s\n", message.c_str());
    return 1;
}

int RunGet(Args args) {
    bool next = TakeFlag(args, "--next");
    bool text = TakeFlag(args, "--text");
    std::string timeoutText, error;
    bool timeoutGiven = TakeOption(args, "--timeout", timeoutText, error);
    if (!error.empty())
        return UsageError("device", error);
    if (args.size() < 2 || args.size() > 4)
        return UsageError("device", "get needs ADDRESS and EID");
    for (const std::string& a : args)
        if (a.size() > 2 && a.compare(0, 2, "--") == 0)
            return UsageError("device", "unknown option \"" + a + "\"");

    const std::string& address = args[0];
    int32_t elementId = 0, index1 = -1, index2 = -1;
    if (!ParseInt(args[1], elementId))
        return UsageError("device", "bad element id \"" + args[1] + "\"");
    if (args.size() > 2 && !ParseInt(args[2], index1))
        return UsageError("device", "bad index \"" + args[2] + "\"");
    if (args.size() > 3 && !ParseInt(args[3], index2))
        return UsageError("device", "bad index \"" + args[3] + "\"");
    uint32_t timeout = 0;
    if (timeoutGiven && !ParseUint(timeoutText, timeout))
        return UsageError("device", "bad time-out \"" + timeoutText + "\"");
    if (!timeoutGiven)
        timeout = qx::GetDwordSetting(qx::SETTING_SNMP_NO_CONNECT_TIMEOUT, 1);

    qx::MIBMappingTable table;
    if (!table.Load(qx::MapFilePaths()))
        return Fail("the mapping files could not be loaded: " + table.LastError());
    const qx::MIBMappingEntry* entry = table.GetEntryById(elementId);
    if (!entry)
        return Fail("element " + std::to_string(elementId) + " is not in the mapping files");

    qx::CSnmpReader reader;
    reader.Target().SetAddress(address);
    reader.Target().SetTimeout(timeout);
    const std::string oid = qx::ElementOidText(*entry, index1, index2);
    const std::string what =
        entry->strName + " (" + (oid.empty() ? std::string("no OID") : oid) + ")";
    switch (reader.Target().Kind()) {
        case qx::SnmpAddressKind::None:
            return Fail("\"" + address + "\" is longer than 21 characters: no address");
        case qx::SnmpAddressKind::Ipx:
            return Fail("no answer from " + address + ": IPX is not available here");
        default:
            break;
    }
    if (reader.Target().PeerName().empty())
        return Fail("\"" + address + "\" is no IPv4 address");

    qx::SnmpVarBind reply;
    if (FAILED(reader.ReadElement(entry, index1, index2, reply, next))) {
        return Fail("no answer from " + address + " for " + what + (next ? " by GET-NEXT" : "") +
                    " within " + std::to_string(2ull * timeout * 10) +
                    " ms, or the device has no such object");
    }
    if (!text && IsNumberSyntax(entry->nSyntax)) {
        int32_t value = 0;
        if (!reply.GetInt32(value))
            return Fail(what + ": the device answered with no number: \"" + reply.PrintableValue() +
                        "\"");
        std::printf("%d\n", value);
        return 0;
    }
    char buffer[260];
    if (!reply.GetText(buffer, sizeof buffer))
        return Fail(what + ": the device answered with no text: " + reply.PrintableValue());
    // Texts as they are, bytes that are no text (error-state bits) in hexadecimal.
    std::printf("%s\n", IsShowableText(buffer) ? buffer : reply.PrintableValue().c_str());
    return 0;
}

}  // namespace

int RunDevice(const Args& given) {
    Args args = given;
    if (args.empty())
        return UsageError("device", "missing subcommand");
    std::string sub = args[0];
    args.erase(args.begin());
    if (sub == "get")
        return RunGet(args);
    if (sub == "snapshot")
        return RunDeviceSnapshot(args);
    return UsageError("device", "unknown subcommand \"" + sub + "\"");
}

}  // namespace qxctl
