// The archive keeps every message it receives: one too long for a row is
// archived cut, with a visible mark, and its time in whole milliseconds,
// while the caller keeps the whole text.

#include <gtest/gtest.h>

#include "../storage/test_support.h"
#include "app/core/pl_message_archive.h"
#include "archive/pl_archive_row.h"
#include "archive/pl_archive_time.h"

TEST(MessageArchive, ALongMessageIsArchivedCutWithAMark)
{
    ScratchDir dir;
    const std::string path = dir.File("msgarchive.qdb");
    std::string text;
    while (text.size() < 6000)
        text += "Zeile \xC3\xBC\xE2\x82\xAC\n";  // "Zeile ü€" and a line break
    const CMsg msg{kPersonalMessage, "BOB", "ALICE", "BOB", text};
    {
        PlMessageArchive archive;
        ASSERT_TRUE(archive.Open(path, 3));
        ASSERT_TRUE(archive.StoreReceived(msg, PlDefaultClock().NowLocalFileTime() + 1234));
    }
    EXPECT_EQ(msg.text, text);  // what the face shows stays whole

    PlDatabase db;
    db.SetPath(path);
    ASSERT_TRUE(db.OpenReadOnly());
    PlDbFilter all;
    auto cursor = db.CreateCursor(all);
    ASSERT_EQ(cursor->Count(), 1);
    PlRow row;
    cursor->Move(0, PlDbSrvAbstractCursor::kFromFirst);
    ASSERT_TRUE(cursor->GetRow(row));
    const std::string_view stored = row.FieldText(pl::archive::kMessageField);
    EXPECT_TRUE(stored.ends_with("\xE2\x80\xA6"));
    EXPECT_TRUE(pl::archive::WithCrLf(text).starts_with(stored.substr(0, stored.size() - 3)));
    EXPECT_GT(stored.size(), 3900u);
    EXPECT_EQ(*pl::archive::ReceivedTime(row) % kFileTimeMillisecond, 0u);
}

TEST(MessageArchive, ANotOpenArchiveRefusesWithAReason)
{
    PlMessageArchive archive;
    std::string problem;
    EXPECT_FALSE(archive.StoreSent(CMsg{kPersonalMessage, "BOB", "ALICE", "BOB", "x"}, 0, &problem));
    EXPECT_FALSE(problem.empty());
}
