// qxctl discover: one IP discovery run as a discovery dialog makes it (the
// host check, the subnet mask, the family's range unless one is given), with
// every answer in slot order and whether it passed the range.

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

}  // namespace

int RunDiscover(const Args& arguments) {
    Args args = arguments;
    bool json = TakeFlag(args, "--json");
    std::string familyText, rangeText, error;
    bool familyGiven = TakeOption(args, "--family", familyText, error);
    bool rangeGiven = error.empty() && TakeOption(args, "--range", rangeText, error);
    if (!error.empty())
        return UsageError("discover", error);
    if (!args.empty())
        return UsageError("discover", "unexpected argument \"" + args.front() + "\"");
    uint32_t family = 1;
    if (familyGiven && !ParseUint(familyText, family))
        return UsageError("discover", "bad family \"" + familyText + "\"");
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

    if (json) {
        QJsonArray list;
        for (const auto& a : answers)
            list.append(QJsonObject{{"address", QString::fromStdString(a.address)},
                                    {"inRange", a.inRange}});
        QJsonObject o{{"host", QString::fromStdString(host.strHostAddress)},
                      {"mask", QString::fromStdString(host.strMask)},
                      {"from", QString::fromStdString(range.from)},
                      {"to", QString::fromStdString(range.to)},
                      {"answers", list}};
        std::fputs(QJsonDocument(o).toJson(QJsonDocument::Indented).constData(), stdout);
        return 0;
    }
    std::printf("host %s mask %s range %s-%s\n", host.strHostAddress.c_str(), host.strMask.c_str(),
                range.from.c_str(), range.to.c_str());
    for (const auto& a : answers)
        std::printf("%-15s %s\n", a.address.c_str(), a.inRange ? "in range" : "out of range");
    std::printf("%zu answers\n", answers.size());
    return 0;
}

}  // namespace qxctl
