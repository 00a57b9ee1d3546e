// The IPX run: the same request to SNMP's IPX socket 0x900F of every node
// of the local network, on a blocking socket that the broadcast thread closes
// to end the listener's pending receive.

#include <cstring>
#include <thread>

#include "discovery/BroadcastThreads.h"
#include "discovery/IpxAddressText.h"
#include "discovery/RequestMessage.h"
#include "discovery/StopEvent.h"
#include "platform/net/SocketLayer.h"
#include "trace/Trace.h"

namespace qx {

int StartWaitThread_IPX(DiscoveryThreadContext* context) {
    DiscoveryParam* p = context->param;
    IpxSocket* s = context->ipxSocket.get();
    Trace(kTracePrefix, "Inside StartWaitThread_IPX()...");
    long sent = s->SendTo(p->byRequest, sizeof p->byRequest, p->stIpxDestination);
    if (sent < 0) {
        Trace(kTracePrefix, "sendto failed...");
        return 1;
    }
    Trace(kTracePrefix, "sendto success...bytes sent = %ld", sent);
    p->iCount_Local = 0;
    for (;;) {
        uint8_t buffer[kRequestDatagramSize];
        std::memset(buffer, 0, sizeof buffer);
        // The receive writes straight into the next free slot; an answer that
        // is not kept leaves the slot to the next one. With every slot taken,
        // answers land in a scratch address and are dropped.
        IpxSocketAddress scratch{};
        const bool full = p->iCount_Local >= kIpxAnswerSlots;
        IpxSocketAddress* slot = full ? &scratch : &p->stIpxAnswers[p->iCount_Local];
        long n = s->RecvFrom(buffer, sizeof buffer, slot);
        if (n >= 0) {
            Trace(kTracePrefix, "recvfrom success..");
            if (IsAcceptedAnswer(buffer, n)) {
                if (!full) {
                    ++p->iCount_Local;
                } else if (!p->bDropTraced) {
                    Trace(kTracePrefix, "Answer from %s dropped: all %d answer slots are taken",
                          IpxAddressText(scratch).c_str(), kIpxAnswerSlots);
                    p->bDropTraced = true;
                }
            }
        } else {
            Trace(kTracePrefix, "recvfrom failed.with value %d", s->LastError());
        }
        if (StopEvent::TryWait(p->hStopEvent)) {
            Trace(kTracePrefix, "Event signalled. Listen thread about to terminate");
            return 0;
        }
    }
}

int StartBroadCastThread_IPX(DiscoveryThreadContext* context) {
    DiscoveryParam* p = context->param;
    Trace(kTracePrefix, "Inside StartBroadCastThread_IPX()..");
    if (!SocketLayerStartup(0x0202))
        return 1;
    Trace(kTracePrefix, "wsaData.wVersion = %d and wsaData.wHighVersion = %d", 0x0202, 0x0202);
    BuildRequestDatagram(p->byRequest, sizeof p->byRequest);
    p->stIpxDestination = IpxBroadcastDestination();
    p->nSourceLength = 16;

    int error = 0;
    IpxSocketFactory factory = context->ipxSocketFactory ? context->ipxSocketFactory
                                                         : IpxSocketFactory(CreateSystemIpxSocket);
    context->ipxSocket = factory(error);
    if (!context->ipxSocket) {
        context->socketError = error;
        Trace(kTracePrefix, "socket creation failed.with value .%d", error);
        SocketLayerCleanup();
        return 1;
    }
    Trace(kTracePrefix, "socket is created..");
    int flag = 1;
    if (context->ipxSocket->SetBroadcast(flag) != 0) {
        int e = context->ipxSocket->LastError();
        context->ipxSocket->Close();
        Trace(kTracePrefix, "setsocopt failed.With value %d", e);
        SocketLayerCleanup();
        return 1;
    }
    Trace(kTracePrefix, "setsocopt success value of flag is  %d..", flag);

    p->hStopEvent = StopEvent::Create();
    std::thread listener;
    if (p->hStopEvent >= 0) {
        try {
            listener =
                std::thread([context] { context->listenExitCode = StartWaitThread_IPX(context); });
        } catch (const std::system_error&) {
        }
    }
    std::this_thread::sleep_for(context->timings.listen);
    StopEvent::Set(p->hStopEvent);
    std::this_thread::sleep_for(context->timings.grace);
    Trace(kTracePrefix, "SetEvent done in StartBroadCastThread");
    context->ipxSocket->Close();  // ends the listener's pending receive
    if (listener.joinable())
        listener.join();
    SocketLayerCleanup();
    Trace(kTracePrefix, "pThreadLocal has finished executing");
    return 0;
}

}  // namespace qx
