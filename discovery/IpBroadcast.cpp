// The IP run: one broadcast GetRequest to 255.255.255.255:161, then three
// seconds of collecting the source addresses of the devices that answer
// without error.

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "discovery/BroadcastThreads.h"
#include "discovery/RequestMessage.h"
#include "discovery/StopEvent.h"
#include "platform/net/SocketLayer.h"
#include "trace/Trace.h"

namespace qx {

namespace {

void SizeReceiveQueue(int fd) {
    int bytes = kReceiveBufferBytes;
    // Beyond the system's limit only with the privilege to pass it; otherwise
    // the largest ordinary size is what there is.
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

// Takes every datagram that is waiting; answers that find no free slot are dropped.
void DrainAnswers(DiscoveryThreadContext* context) {
    DiscoveryParam* p = context->param;
    const bool local = context->owner == DiscoveryOwner::Local;
    for (;;) {
        uint8_t buffer[kRequestDatagramSize];
        std::memset(buffer, 0, sizeof buffer);
        socklen_t length = p->nSourceLength;
        ssize_t n = recvfrom(p->hSocket, buffer, sizeof buffer, MSG_DONTWAIT,
                             reinterpret_cast<sockaddr*>(&p->stSource), &length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;  // nothing more pending, or an error the next wait reports again
        }
        if (local)
            Trace(kTracePrefix, "recvfrom success..");
        if (!IsAcceptedAnswer(buffer, n))
            continue;
        const auto* a = reinterpret_cast<const uint8_t*>(&p->stSource.sin_addr.s_addr);
        char text[kIpAnswerTextSize];
        std::snprintf(text, sizeof text, "%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
        if (p->iCount_Local >= kIpAnswerSlots) {
            if (!p->bDropTraced)
                Trace(kTracePrefix, "Answer from %s dropped: all %d answer slots are taken", text,
                      kIpAnswerSlots);
            p->bDropTraced = true;
            continue;
        }
        Trace(kTracePrefix, "() %s. Count is %d", text, p->iCount_Local);
        std::memcpy(p->szIpAnswers[p->iCount_Local], text, sizeof text);
        ++p->iCount_Local;
    }
}

}  // namespace

int StartWaitThread(DiscoveryThreadContext* context) {
    DiscoveryParam* p = context->param;
    const bool local = context->owner == DiscoveryOwner::Local;
    if (sendto(p->hSocket, p->byRequest, sizeof p->byRequest, 0,
               reinterpret_cast<const sockaddr*>(&p->stIpDestination),
               sizeof p->stIpDestination) < 0) {
        context->socketError = errno;
        if (local)
            Trace(kTracePrefix, "sendto failed for IP with %d", errno);
        return 1;
    }
    p->iCount_Local = 0;
    // Waits on the socket and the stop event together: no polling of a
    // non-blocking socket, and an answer is taken as soon as it is there.
    for (;;) {
        pollfd fds[2] = {{p->hSocket, POLLIN, 0}, {p->hStopEvent, POLLIN, 0}};
        int ready = poll(fds, 2, -1);
        if (ready < 0 && errno != EINTR) {
            context->socketError = errno;
            return 1;
        }
        if (ready > 0 && (fds[0].revents & POLLNVAL)) {
            context->socketError = EBADF;
            return 1;
        }
        // A pending socket error is taken (and cleared) by the receive too,
        // so that it cannot wake the wait again and again.
        if (ready > 0 && (fds[0].revents & (POLLIN | POLLERR)))
            DrainAnswers(context);
        if (ready > 0 && (fds[1].revents & POLLIN) && StopEvent::TryWait(p->hStopEvent)) {
            // Answers that arrived before the signal are still taken.
            DrainAnswers(context);
            Trace(kTracePrefix, "Event signalled. Listen thread about to terminate");
            return 0;
        }
    }
}

int StartBroadCastThread(DiscoveryThreadContext* context) {
    DiscoveryParam* p = context->param;
    const bool local = context->owner == DiscoveryOwner::Local;
    if (local)
        Trace(kTracePrefix, "StartBroadCastThread for IP");
    if (!SocketLayerStartup(0x0202)) {
        context->socketError = errno;
        if (local)
            Trace(kTracePrefix, "Startup failed for IP");
        return 1;
    }
    BuildRequestDatagram(p->byRequest, sizeof p->byRequest);
    p->stIpDestination.sin_family = AF_INET;
    p->stIpDestination.sin_port = htons(kSnmpPort);
    p->stIpDestination.sin_addr.s_addr = inet_addr("255.255.255.255");
    p->nSourceLength = sizeof(sockaddr_in);
    p->stSource.sin_family = AF_INET;

    p->hSocket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int on = 1;
    if (p->hSocket < 0 || setsockopt(p->hSocket, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        context->socketError = errno;
        if (local)
            Trace(kTracePrefix, "setsockopt failed for IP with %d", errno);
        if (p->hSocket >= 0)
            close(p->hSocket);
        p->hSocket = -1;
        SocketLayerCleanup();
        return 1;
    }
    SizeReceiveQueue(p->hSocket);
    int flags = fcntl(p->hSocket, F_GETFL);
    if ((flags < 0 || fcntl(p->hSocket, F_SETFL, flags | O_NONBLOCK) != 0) && local)
        Trace(kTracePrefix, "ioctlsocket failed with value %d", errno);

    p->hStopEvent = StopEvent::Create();
    std::thread listener;
    if (p->hStopEvent >= 0) {
        try {
            listener =
                std::thread([context] { context->listenExitCode = StartWaitThread(context); });
        } catch (const std::system_error&) {
        }
    }

    std::this_thread::sleep_for(context->timings.listen);
    StopEvent::Set(p->hStopEvent);
    std::this_thread::sleep_for(context->timings.grace);
    Trace(kTracePrefix, "SetEvent done in StartBroadCastThread");
    // The listener ends promptly on the signal; waiting for it here means no
    // thread of the run touches the block once this one has ended.
    if (listener.joinable())
        listener.join();
    close(p->hSocket);
    p->hSocket = -1;
    SocketLayerCleanup();
    Trace(kTracePrefix, "pThreadLocal has finished executing");
    return 0;
}

}  // namespace qx
