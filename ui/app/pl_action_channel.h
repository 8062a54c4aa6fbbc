#pragma once
// PlActionChannel: the local socket through which a second start of the
// program hands its action (`parlino --write` ...) to the running instance
// of the same user: a Unix socket beside the instance lock, readable by the
// user only. The running instance listens; the second start sends one line
// and ends.

#include <QObject>
#include <functional>
#include <map>
#include <memory>

#include "app/core/pl_actions.h"
#include "platform/netbios/nb_fd.h"

class QSocketNotifier;

class PlActionChannel : public QObject {
public:
    PlActionChannel();
    ~PlActionChannel() override;

    // The socket of the local user, in the runtime folder.
    static std::string SocketPath();

    // Listens (replacing a socket a dead instance left); false on failure.
    bool Listen(std::function<void(PlAction)> handler);
    // Sends `action` to the running instance; false when none answered.
    static bool Send(PlAction action);

private:
    struct Peer;
    void OnConnection();
    void OnReadable(int fd);

    pl::nb::UniqueFd listener_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::map<int, std::unique_ptr<Peer>> peers_;
    std::function<void(PlAction)> handler_;
};
