#pragma once
// A connection to a session over ENet that sends only what the test tells it to, and answers
// (acknowledges) only while the test takes its events. It waits for the session far longer than
// any test runs: a disconnection it sees is the session's, never its own time-out.

#include "EnetSession.h"

#include <enet/enet.h>

#include <cstdint>
#include <string>
#include <vector>

class BareConnection
{
public:
    explicit BareConnection(const std::string& address)
    {
        std::string host;
        uint16_t port = 0;
        ENetAddress target{};
        m_host = enet_host_create(nullptr, 1, 2, 0, 0);
        if (m_host != nullptr && plat::SplitHostPort(address, host, port, 0) &&
            enet_address_set_host_ip(&target, host.c_str()) == 0)
        {
            target.port = port;
            m_peer = enet_host_connect(m_host, &target, 2, 0);
        }
        if (m_peer != nullptr)
            enet_peer_timeout(m_peer, 0, 600000, 600000);
    }
    ~BareConnection()
    {
        if (m_host != nullptr)
            enet_host_destroy(m_host);
    }
    BareConnection(const BareConnection&) = delete;
    BareConnection& operator=(const BareConnection&) = delete;

    // The next event's type and data (a minute's bound; ENET_EVENT_TYPE_NONE when none came).
    ENetEventType Next(uint32_t* data = nullptr)
    {
        for (int i = 0; m_peer != nullptr && i < 12000; ++i)
        {
            ENetEvent event;
            if (enet_host_service(m_host, &event, 5) <= 0)
                continue;
            if (event.type == ENET_EVENT_TYPE_RECEIVE)
                enet_packet_destroy(event.packet);
            // The acknowledgement goes at once: the host counts a connection once it has it.
            enet_host_flush(m_host);
            if (data != nullptr)
                *data = event.data;
            return event.type;
        }
        return ENET_EVENT_TYPE_NONE;
    }
    void Send(const std::vector<uint8_t>& frame)
    {
        enet_peer_send(m_peer, 0, enet_packet_create(frame.data(), frame.size(), ENET_PACKET_FLAG_RELIABLE));
        enet_host_flush(m_host);
    }

private:
    ENetHost* m_host = nullptr;
    ENetPeer* m_peer = nullptr;
};
