#pragma once
// PlActionChannel: the local socket through which a second start of the
// program hands its action (`parlino --write` ...) to the running instance
// of the same user. The running instance listens; the second start sends
// one line and ends.

#include <QLocalServer>
#include <QObject>
#include <functional>

#include "app/core/pl_actions.h"

class PlActionChannel : public QObject {
public:
    // The socket of the local user, in the runtime folder.
    static QString SocketPath();

    // Listens (replacing a socket a dead instance left); false on failure.
    bool Listen(std::function<void(PlAction)> handler);
    // Sends `action` to the running instance; false when none answered.
    static bool Send(PlAction action, int timeoutMs = 2000);

private:
    void OnConnection();

    QLocalServer server_;
    std::function<void(PlAction)> handler_;
};
