#include "transport/core/c_connection.h"

#include "transport/core/c_port.h"

#include <utility>

CConnection::CConnection(CPort* port, std::string peerName) : port_(port), peerName_(std::move(peerName)) {}

void CConnection::Receive(CProtocolDataUnit& pdu)
{
    port_->Receive(*this, pdu);
}

void CConnection::ReceiveRaw(CPduBuffer& buffer)
{
    port_->ReceiveRaw(*this, buffer);
}

void CConnection::Send(CProtocolDataUnit& pdu)
{
    port_->Send(*this, pdu);
}

void CConnection::SendRaw(CPduBuffer& buffer)
{
    port_->SendRaw(*this, buffer);
}

void CConnection::Close()
{
    port_->Close(*this);
}
