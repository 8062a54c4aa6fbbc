#include "transport/mailslot/c_mailslot.h"

#include "platform/text/pl_case.h"
#include "transport/pdu/c_pdu_buffer.h"
#include "transport/pdu/c_protocol_data_unit.h"

#include <algorithm>

CMailslot::CMailslot(PlMailslotApi& api, std::string mailslotName, int openRetryMs)
    : CPort(openRetryMs), api_(api), mailslotName_(std::move(mailslotName))
{
}

// The listening thread stops before the handle closes: closed first, the
// mailslot would look lost to a running poll, which would create it again.
CMailslot::~CMailslot()
{
    Stop();
    Shut();
}

bool CMailslot::Open()
{
    const auto handle = api_.CreateMailslot("\\\\.\\MAILSLOT\\" + mailslotName_, kMaxMessageSize);
    if (handle == PlMailslotApi::kInvalidHandle)
        return false;
    DiscardQueued(handle);
    handle_ = handle;
    SetOpen(true);
    return true;
}

void CMailslot::DiscardQueued(PlMailslotApi::Handle handle)
{
    CPduBuffer scratch;
    std::size_t count = 0;
    std::size_t next = 0;
    while (api_.GetMailslotInfo(handle, count, next) && count > 0) {
        if (api_.ReadFile(handle, {scratch.Data(), static_cast<std::size_t>(CPduBuffer::kCapacity)}) < 0)
            break;
    }
}

void CMailslot::Shut()
{
    const auto handle = handle_.exchange(PlMailslotApi::kInvalidHandle);
    if (handle != PlMailslotApi::kInvalidHandle)
        api_.CloseHandle(handle);
    SetOpen(false);
}

void CMailslot::Accept()
{
    if (ListeningThread().Pause(kPollMs))
        return;
    std::size_t count = 0;
    std::size_t next = 0;
    PlMailslotApi::Handle handle = handle_.load();
    if (!api_.GetMailslotInfo(handle, count, next)) {
        // Lost: forget the handle so that the listening loop creates it again.
        const PlMailslotApi::Handle lost = handle;
        if (handle_.compare_exchange_strong(handle, PlMailslotApi::kInvalidHandle))
            api_.CloseHandle(lost);
        SetOpen(false);
        return;
    }
    // Every message queued now is taken at this wake, not one per poll: a
    // burst of broadcasts must not delay the next for seconds.
    for (; count > 0 && !ListeningThread().IsStopRequested(); --count)
        HandOver(AddConnection(std::make_unique<CMailslotConnection>(this, std::string(), handle, false)));
}

void CMailslot::Connect(const std::string& name, CConnection*& out)
{
    out = nullptr;
    const auto handle = api_.CreateFile("\\\\" + pl::UpperCase(name) + "\\MAILSLOT\\" + mailslotName_);
    if (handle == PlMailslotApi::kInvalidHandle)
        return;
    out = &AddConnection(std::make_unique<CMailslotConnection>(this, pl::UpperCase(name), handle, true));
}

bool CMailslot::ReadNext(CConnection& connection, CPduBuffer& buffer)
{
    buffer.Clear();
    const auto handle = static_cast<CMailslotConnection&>(connection).Handle();
    std::size_t count = 0;
    std::size_t next = 0;
    if (!api_.GetMailslotInfo(handle, count, next) || count == 0)
        return false;
    const int size = api_.ReadFile(handle, {buffer.Data(), static_cast<std::size_t>(CPduBuffer::kCapacity)});
    if (size < 0)
        return false;
    buffer.SetLength(std::min(size, CPduBuffer::kCapacity));
    return true;
}

void CMailslot::ReceiveRaw(CConnection& connection, CPduBuffer& buffer)
{
    ReadNext(connection, buffer);
}

void CMailslot::Receive(CConnection& connection, CProtocolDataUnit& pdu)
{
    CPduBuffer buffer;
    if (ReadNext(connection, buffer))
        pdu.Decode(buffer);
}

void CMailslot::SendRaw(CConnection& connection, CPduBuffer& buffer)
{
    const auto handle = static_cast<CMailslotConnection&>(connection).Handle();
    api_.WriteFile(handle, {buffer.Data(), static_cast<std::size_t>(buffer.Length())});  // a lost write goes unnoticed
}

void CMailslot::Send(CConnection& connection, CProtocolDataUnit& pdu)
{
    CPduBuffer buffer;
    pdu.Encode(buffer);
    SendRaw(connection, buffer);
}

void CMailslot::Close(CConnection& connection)
{
    const auto& mailslotConnection = static_cast<CMailslotConnection&>(connection);
    if (mailslotConnection.Outgoing())
        api_.CloseHandle(mailslotConnection.Handle());
    RemoveConnection(connection);
}
