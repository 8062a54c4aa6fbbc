#pragma once
// `parlino-cli archive show`: the messages of an archive file through the
// archive's own views (received, sent, conversation, search by dates).

#include <span>
#include <string>

namespace pl::cli {

int ArchiveShowCommand(std::span<const std::string> args);

}  // namespace pl::cli
