// qxctl discover: one IP discovery run as a discovery dialog makes it (the
// host check, the subnet mask, the family's range unless one is given), with
// every answer in slot order and whether it passed the range. With --caller
// or --network the answers inside the range are identified as the local or
// the network discovery dialog would, together with the devices that the
// management component finds again, into the dialog's device list.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <cstring>
#include <string>

#include "Commands.h"
#include "discovery/AddressRange.h"
#include "discovery/DiscoveryRun.h"
#include "discovery/HostProtocols.h"
#include "discovery/IdentifyDevices.h"
#include "discovery/LocalDeviceIdentification.h"
#include "model/AddressText.h"

namespace qxctl {

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "qxctl discover: %s\n", message.c_str());
    return 1;
}

bool ParseRange(const std::string& text, qx::AddressRange& range) {
    auto dash = text.find('-');
    if (dash == std::string::npos)
        return false;
    auto from = qx::PrintableIpAddress(text.substr(0, dash));
    auto to = qx::PrintableIpAddress(text.substr(dash + 1));
    if (!from || !to)
        return false;
    range = {*from, *to};
    return true;
}

// Device texts come from the devices: a tab or line break in one must not
// split a row of the plain listing.
std::string OneLine(const std::string& text) {
    std::string s = text;
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return s;
}

QString Json(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

int RunDiscover(const Args& arguments) {
    Args args = arguments;
    bool json = TakeFlag(args, "--json");
    bool network = TakeFlag(args, "--network");
    bool noComponent = TakeFlag(args, "--no-component");
    std::string familyText, rangeText, callerText, modeText, error;
    bool familyGiven = TakeOption(args, "--family", familyText, error);
    bool rangeGiven = error.empty() && TakeOption(args, "--range", rangeText, error);
    bool callerGiven = error.empty() && TakeOption(args, "--caller", callerText, error);
    bool modeGiven = error.empty() && TakeOption(args, "--mode", modeText, error);
    if (!error.empty())
        return UsageError("discover", error);
    if (!args.empty())
        return UsageError("discover", "unexpected argument \"" + args.front() + "\"");
    if (callerGiven && network)
        return UsageError("discover", "--caller and --network are two variants: give one");
    if (callerGiven && familyGiven)
        return UsageError("discover",
                          "--family does not go with --caller: the caller number "
                          "selects the family");
    if (modeGiven && !network)
        return UsageError("discover", "--mode goes with --network");
    if (noComponent && !callerGiven && !network)
        return UsageError("discover", "--no-component goes with --caller or --network");

    int32_t caller = 0, mode = 1;
    if (callerGiven && !ParseInt(callerText, caller))
        return UsageError("discover", "bad caller number \"" + callerText + "\"");
    if (modeGiven && !ParseInt(modeText, mode))
        return UsageError("discover", "bad mode \"" + modeText + "\"");
    uint32_t family = 1;
    if (familyGiven && !ParseUint(familyText, family))
        return UsageError("discover", "bad family \"" + familyText + "\"");
    // The local dialog reads the settings of its caller's family.
    if (callerGiven)
        family = qx::CallerFamily(caller);
    qx::AddressRange range;
    if (rangeGiven && !ParseRange(rangeText, range))
        return UsageError("discover",
                          "bad range \"" + rangeText + "\" (FROM-TO, dotted addresses)");

    qx::HostProtocols host = qx::ExamineHost(family);
    if (!host.bIpAvailable) {
        if (host.strHostAddress.empty())
            return Fail("no usable IP address: the host name does not resolve to an IPv4 address");
        return Fail("no usable IP address: the host name resolves to " + host.strHostAddress);
    }
    if (!rangeGiven)
        range = qx::LoadDiscoveryRange(family, host.strMask, host.strHostAddress);

    qx::DiscoveryRun run;
    std::vector<qx::DiscoveryAnswer> answers = run.RunToEnd(false, true, range);
    if (run.BroadcastExitCode() != 0)
        return Fail(std::string("no broadcast socket: ") + std::strerror(run.SocketError()));
    if (run.ListenExitCode() != 0)
        return Fail(std::string("the broadcast could not be sent: ") +
                    std::strerror(run.SocketError()));

    const bool identify = callerGiven || network;
    std::vector<qx::DeviceRow> devices;
    if (identify) {
        // As the dialogs do at the end of a run: the answers inside the
        // range, in slot order (the list keeps one row per address).
        std::vector<std::string> addresses;
        for (const auto& a : answers)
            if (a.inRange)
                addresses.push_back(a.address);
        qx::IdentificationRequest request;
        request.bNetwork = network;
        request.nCaller = caller;
        request.nFamily = family;
        request.nMode = mode;
        request.bComponent = !noComponent;
        devices = qx::IdentifyDevices(addresses, request);
    }

    if (json) {
        QJsonArray list;
        for (const auto& a : answers)
            list.append(QJsonObject{{"address", Json(a.address)}, {"inRange", a.inRange}});
        QJsonObject o{{"host", Json(host.strHostAddress)},
                      {"mask", Json(host.strMask)},
                      {"from", Json(range.from)},
                      {"to", Json(range.to)},
                      {"answers", list}};
        if (identify) {
            QJsonArray rows;
            for (const auto& d : devices)
                rows.append(QJsonObject{{"name", Json(d.name)},
                                        {"address", Json(d.address)},
                                        {"location", Json(d.location)},
                                        {"model", Json(d.model)},
                                        {"icon", d.nIcon}});
            o["devices"] = rows;
        }
        std::fputs(QJsonDocument(o).toJson(QJsonDocument::Indented).constData(), stdout);
        return 0;
    }
    std::printf("host %s mask %s range %s-%s\n", host.strHostAddress.c_str(), host.strMask.c_str(),
                range.from.c_str(), range.to.c_str());
    for (const auto& a : answers)
        std::printf("%-15s %s\n", a.address.c_str(), a.inRange ? "in range" : "out of range");
    std::printf("%zu answers\n", answers.size());
    if (identify) {
        std::printf("name\taddress\tlocation\tmodel\n");
        for (const auto& d : devices)
            std::printf("%s\t%s\t%s\t%s\n", OneLine(d.name).c_str(), OneLine(d.address).c_str(),
                        OneLine(d.location).c_str(), OneLine(d.model).c_str());
        std::printf("%zu devices\n", devices.size());
    }
    return 0;
}

}  // namespace qxctl
