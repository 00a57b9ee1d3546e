#include "DiscoveryRun.h"

#include <cstring>

#include "discovery/IpxAddressText.h"
#include "discovery/StopEvent.h"
#include "trace/Trace.h"

namespace qx {

// The parameter block and the context its threads see; both live until End.
struct DiscoveryRun::Block {
    DiscoveryParam param;
    DiscoveryThreadContext context;
};

DiscoveryRun::DiscoveryRun() : DiscoveryRun(Options{}) {}

DiscoveryRun::DiscoveryRun(Options options) : m_options(std::move(options)) {}

DiscoveryRun::~DiscoveryRun() {
    if (Running())
        End();
}

void DiscoveryRun::SetFinishedCallback(std::function<void()> callback) {
    m_onFinished = std::move(callback);
}

int DiscoveryRun::ListenExitCode() const {
    return m_listenExitCode;
}

DiscoveryProtocol DiscoveryRun::Start(bool ipx, bool ip, const AddressRange& range) {
    if (Running())
        End();
    m_broadcastExitCode = m_listenExitCode = -1;
    m_socketError = 0;
    m_range = range;
    DiscoveryProtocol protocol = ipx  ? DiscoveryProtocol::Ipx
                                 : ip ? DiscoveryProtocol::Ip
                                      : DiscoveryProtocol::None;
    if (protocol == DiscoveryProtocol::None)
        return protocol;

    m_block = std::make_unique<Block>();
    std::memset(&m_block->param, 0, sizeof m_block->param);
    m_block->param.hSocket = -1;
    m_block->param.hStopEvent = -1;
    DiscoveryThreadContext& c = m_block->context;
    c.param = &m_block->param;
    c.owner = m_options.owner;
    c.timings = m_options.timings;
    c.ipxSocketFactory = m_options.ipxSocketFactory;
    c.onFinished = m_onFinished;

    int (*procedure)(DiscoveryThreadContext*) =
        protocol == DiscoveryProtocol::Ipx ? StartBroadCastThread_IPX : StartBroadCastThread;
    try {
        m_thread = std::thread([this, procedure, context = &c] {
            m_broadcastExitCode = procedure(context);
            if (context->onFinished)
                context->onFinished();
        });
    } catch (const std::system_error&) {
        m_block.reset();
        return DiscoveryProtocol::None;
    }
    m_protocol = protocol;
    return protocol;
}

std::vector<DiscoveryAnswer> DiscoveryRun::End() {
    std::vector<DiscoveryAnswer> answers;
    if (m_thread.joinable()) {
        m_thread.join();
        std::this_thread::sleep_for(m_options.timings.grace);
    }
    if (!m_block) {
        m_protocol = DiscoveryProtocol::None;
        return answers;
    }
    DiscoveryParam& p = m_block->param;
    m_listenExitCode = m_block->context.listenExitCode;
    m_socketError = m_block->context.socketError;
    StopEvent::Close(p.hStopEvent);
    p.hStopEvent = -1;

    // A thread that failed before the listener ran leaves the count at zero.
    int count = p.iCount_Local;
    if (m_protocol == DiscoveryProtocol::Ipx) {
        for (int i = 0; i < count && i < kIpxAnswerSlots; ++i)
            answers.push_back({IpxAddressText(p.stIpxAnswers[i]), true});
    } else if (m_protocol == DiscoveryProtocol::Ip) {
        auto to = ParseIpOctets(m_range.to).value_or(Ipv4Address{});
        auto from = ParseIpOctets(m_range.from).value_or(Ipv4Address{});
        for (int i = 0; i < count && i < kIpAnswerSlots; ++i) {
            char text[kIpAnswerTextSize + 1] = {};
            std::memcpy(text, p.szIpAnswers[i], kIpAnswerTextSize);
            auto address = ParseIpOctets(text).value_or(Ipv4Address{});
            int lessEq = IsLessThanEq(address, to);
            int greaterEq = IsGreaterThanEq(address, from);
            if (m_options.owner == DiscoveryOwner::Local)
                Trace(kTracePrefix, "IsLessThanEq for to  = %d and IsGreaterThanEq for from = %d",
                      lessEq, greaterEq);
            answers.push_back({text, lessEq && greaterEq});
        }
    }
    m_block.reset();
    m_protocol = DiscoveryProtocol::None;
    return answers;
}

std::vector<DiscoveryAnswer> DiscoveryRun::RunToEnd(bool ipx, bool ip, const AddressRange& range) {
    if (Start(ipx, ip, range) == DiscoveryProtocol::None)
        return End();
    std::this_thread::sleep_for(m_options.timings.settle);
    std::this_thread::sleep_for(m_options.timings.listen);
    return End();
}

}  // namespace qx
