#include "transport/netbios/c_netbios_name.h"

#include "platform/text/pl_case.h"
#include "transport/core/pl_network_err.h"
#include "transport/netbios/pl_netbios_network.h"
#include "transport/pdu/c_pdu_buffer.h"
#include "transport/pdu/c_protocol_data_unit.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace {

constexpr std::uint8_t kFirstAlternativeSuffix = 0x03;
constexpr std::uint8_t kLastAlternativeSuffix = 0x2F;
// Pause after a listen that failed without needing a new registration, so that
// a persistent failure cannot turn the listening loop into a busy loop.
constexpr int kListenFailurePauseMs = 100;

}  // namespace

CNetbiosName::CNetbiosName(const std::string& name, int suffix, const PlNetbiosInterface& networkInterface,
                           int openRetryMs)
    : CPort(openRetryMs),
      name_(pl::UpperCase(name)),
      suffix_(suffix == kAlternativeSuffix ? pl::ncb::kMessengerSuffix : static_cast<std::uint8_t>(suffix)),
      lana_(networkInterface.Lana()),
      alternativeSuffix_(suffix == kAlternativeSuffix),
      entry_(networkInterface.Entry())
{
}

CNetbiosName::~CNetbiosName()
{
    ListeningThread().RequestStop();
    Shut();
    Stop();
    // The sessions still being served end now: their workers' waits complete
    // and the workers close their connections.
    ForEachConnection([this](CConnection& connection) { pl::ncb::HangUp(entry_, lana_, LsnOf(connection)); });
    JoinWorkers();
    for (auto& connection : TakeConnections())
        pl::ncb::HangUp(entry_, lana_, LsnOf(*connection));
}

bool CNetbiosName::IsFatalListenResult(std::uint8_t code)
{
    static constexpr std::array<std::uint8_t, 13> kFatal{0x09, 0x0E, 0x15, 0x16, 0x17, 0x23, 0x34,
                                                         0x35, 0x36, 0x37, 0x38, 0x3F, 0x40};
    return std::find(kFatal.begin(), kFatal.end(), code) != kFatal.end();
}

void CNetbiosName::NoteEnd(CConnection& connection, std::uint8_t code)
{
    // Closed, aborted, or already gone: the peer ended the session. A time-out
    // leaves it open, and the peer may still act on what was sent.
    if (code == NRC_SCLOSED || code == NRC_SABORT || code == NRC_SNUMOUT)
        connection.SetPeerEnded();
}

pl::NetbiosNameBytes CNetbiosName::OwnName() const
{
    return pl::MakeNetbiosName(name_, suffix_);
}

std::uint8_t CNetbiosName::LsnOf(const CConnection& connection) const
{
    return static_cast<const CNetbiosConnection&>(connection).Lsn();
}

bool CNetbiosName::Open()
{
    pl::ncb::DeleteName(entry_, lana_, pl::MakeNetbiosName(name_, pl::ncb::kMessengerSuffix));
    if (alternativeSuffix_)
        suffix_ = kFirstAlternativeSuffix;
    std::uint8_t rc = pl::ncb::AddName(entry_, lana_, OwnName());
    while (alternativeSuffix_ && rc == NRC_DUPNAME && suffix_ < kLastAlternativeSuffix) {
        ++suffix_;
        rc = pl::ncb::AddName(entry_, lana_, OwnName());
    }
    SetOpen(rc == NRC_GOODRET);
    return rc == NRC_GOODRET;
}

void CNetbiosName::Shut()
{
    // The name is deleted with the suffix it was registered with, so that an
    // alternative-suffix registration is released too.
    pl::ncb::DeleteName(entry_, lana_, OwnName());
    SetOpen(false);
}

void CNetbiosName::Start()
{
    listenEvent_.ResetEvent();
    CPort::Start();
}

void CNetbiosName::Accept()
{
    if (!WaitForWorkerSlot(kMaxSessions))
        return;
    NCB ncb = pl::ncb::MakeNcb(NCBLISTEN | ASYNCH, lana_);
    ncb.ncb_callname[0] = '*';
    pl::ncb::SetName(ncb.ncb_name, OwnName());
    ncb.ncb_event = &listenEvent_;
    listenEvent_.ResetEvent();
    const std::uint8_t submitted = entry_(&ncb);
    bool completed = submitted != NRC_GOODRET && ncb.ncb_cmd_cplt != NRC_PENDING;
    if (completed) {
        ncb.ncb_retcode = submitted;
    } else {
        std::array<PlEvent*, 1> events{&listenEvent_};
        completed = ListeningThread().WaitAny(events, PlEvent::kInfinite) == 0;
    }
    if (!completed) {
        // Stop requested: the pending listen is cancelled and must complete
        // before its NCB goes out of scope.
        pl::ncb::Cancel(entry_, lana_, ncb);
        listenEvent_.Wait(PlEvent::kInfinite);
        if (ncb.ncb_retcode == NRC_GOODRET)
            pl::ncb::HangUp(entry_, lana_, ncb.ncb_lsn);  // a caller arrived just before the stop
        return;
    }
    listenEvent_.ResetEvent();
    if (ncb.ncb_retcode == NRC_GOODRET) {
        CConnection& connection = AddConnection(std::make_unique<CNetbiosConnection>(this, std::string(), ncb.ncb_lsn));
        HandOverOnWorker(connection);
        return;
    }
    if (IsFatalListenResult(ncb.ncb_retcode))
        SetOpen(false);
    ListeningThread().Pause(kListenFailurePauseMs);
}

void CNetbiosName::Connect(const std::string& name, CConnection*& out)
{
    out = nullptr;
    const std::string remote = pl::UpperCase(name);
    NCB ncb = pl::ncb::MakeNcb(NCBCALL, lana_);
    pl::ncb::SetName(ncb.ncb_callname, pl::MakeNetbiosName(remote, pl::ncb::kMessengerSuffix));
    pl::ncb::SetName(ncb.ncb_name, OwnName());
    ncb.ncb_rto = static_cast<std::uint8_t>(ReceiveTimeout() / pl::ncb::kTimeUnitMs);
    ncb.ncb_sto = static_cast<std::uint8_t>(SendTimeout() / pl::ncb::kTimeUnitMs);
    const std::uint8_t rc = pl::ncb::TimedSubmit(entry_, ncb, ncb.ncb_sto * pl::ncb::kTimeUnitMs);
    if (rc != NRC_GOODRET)
        throw PlAddrNotFoundErr("NBCallAsy3");
    out = &AddConnection(std::make_unique<CNetbiosConnection>(this, remote, ncb.ncb_lsn));
}

void CNetbiosName::Receive(CConnection& connection, CProtocolDataUnit& pdu)
{
    CPduBuffer buffer;
    std::uint16_t length = CPduBuffer::kCapacity;
    const std::uint8_t code = pl::ncb::Receive(entry_, lana_, LsnOf(connection), buffer.Data(), length);
    if (code != NRC_GOODRET) {
        NoteEnd(connection, code);
        throw PlDataTransmissionErr("NBRecv");
    }
    buffer.SetLength(std::min<int>(length, CPduBuffer::kCapacity));
    pdu.Decode(buffer);
}

void CNetbiosName::ReceiveRaw(CConnection& connection, CPduBuffer& buffer)
{
    buffer.Clear();
    std::uint16_t length = CPduBuffer::kCapacity;
    if (pl::ncb::Receive(entry_, lana_, LsnOf(connection), buffer.Data(), length) == NRC_GOODRET)
        buffer.SetLength(std::min<int>(length, CPduBuffer::kCapacity));
}

void CNetbiosName::Send(CConnection& connection, CProtocolDataUnit& pdu)
{
    CPduBuffer buffer;
    pdu.Encode(buffer);
    const auto length = static_cast<std::uint16_t>(buffer.Length());
    const std::uint8_t code = pl::ncb::Send(entry_, lana_, LsnOf(connection), buffer.Data(), length);
    if (code != NRC_GOODRET) {
        NoteEnd(connection, code);
        throw PlDataTransmissionErr("NBSend");
    }
}

void CNetbiosName::SendRaw(CConnection& connection, CPduBuffer& buffer)
{
    pl::ncb::Send(entry_, lana_, LsnOf(connection), buffer.Data(), static_cast<std::uint16_t>(buffer.Length()));
}

void CNetbiosName::Close(CConnection& connection)
{
    pl::ncb::HangUp(entry_, lana_, LsnOf(connection));
    RemoveConnection(connection);
}
