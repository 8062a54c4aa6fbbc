#pragma once
// An archive of its own for a window test: a file in a fresh folder, opened
// with its views as the program opens them (3 days), and messages stored
// into it the way the core stores them (then the views are told).

#include <cstdint>
#include <string>

#include "../support/pl_temp_folder.h"
#include "app/core/pl_message_archive.h"
#include "app/texts/pl_builtin_texts.h"
#include "app/texts/pl_text_table.h"
#include "archive/pl_archive_row.h"

class UiArchive {
public:
    UiArchive()
    {
        PlAddAllDefaults(PlTextTable::Instance());
        archive.Open(folder.Path("msgarchive.qdb"), 3);
    }

    // A message of `minutesAgo` minutes ago, received ('1') or sent ('2').
    void Store(const std::string& from, const std::string& to, const std::string& text, int minutesAgo = 10,
               char type = '1')
    {
        StoreAt(now - static_cast<std::uint64_t>(minutesAgo) * 60000 * kFileTimeMillisecond, from, to, text, type);
    }
    void StoreAt(std::uint64_t time, const std::string& from, const std::string& to, const std::string& text,
                 char type = '1')
    {
        archive.Database().Insert(pl::archive::MakeRow(time, from, to, text, type));
        if (type == '1')
            archive.NotifyReceived();
        else
            archive.NotifySent();
    }

    PlTempFolder folder;
    PlMessageArchive archive;
    std::uint64_t now = PlDefaultClock().NowLocalFileTime();
};
