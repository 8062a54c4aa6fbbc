#include "cli/message_archiver.h"

#include <iostream>

#include "archive/pl_archive_row.h"
#include "archive/pl_msg_log_filters.h"
#include "storage/pl_storage_errors.h"

namespace pl::cli {

bool MessageArchiver::Open(const std::string& path)
{
    database_.SetPath(path);
    return database_.Open();
}

void MessageArchiver::Store(const CMsg& msg)
{
    try {
        database_.Insert(pl::archive::ReceivedRow(msg, PlDefaultClock().NowLocalFileTime()));
    } catch (const PlDatabaseErr& error) {
        std::cerr << "listen: the message from " << msg.from << " was not archived"
                  << (error.Message().empty() ? std::string() : ": " + error.Message()) << std::endl;
    }
}

}  // namespace pl::cli
