#pragma once
// MessageArchiver: keeps received messages in a message archive file, as the
// messenger's main window does (one row of type "1" per message, its time
// the local time of receipt). Store may be called from any thread.

#include <string>

#include "storage/pl_database.h"
#include "transport/messaging/c_msg.h"

namespace pl::cli {

class MessageArchiver {
public:
    // Opens (creating when missing) the archive for writing; false when it
    // cannot be opened or another process writes it.
    bool Open(const std::string& path);
    // Inserts the message's row; a failure is reported on standard error and
    // the message is still delivered.
    void Store(const CMsg& msg);

private:
    PlDatabase database_;
};

}  // namespace pl::cli
