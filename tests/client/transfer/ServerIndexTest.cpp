// The server's listing: its lines turned into rows, and its retrieval from a scripted server.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Paths.h"
#include "tests/client/transfer/IndexFixture.h"

namespace arkvale::test {
namespace {

// Rows of a listing text read as the index file.
std::vector<IndexEntry> Fill(const std::string& text, const std::string& filter,
                             int* malformed = nullptr) {
  FILE* file = std::tmpfile();
  std::fputs(text.c_str(), file);
  std::rewind(file);
  auto rows = FillIndex(file, filter, [malformed] {
    if (malformed != nullptr) ++*malformed;
  });
  std::fclose(file);
  return rows;
}

std::vector<std::string> Names(const std::vector<IndexEntry>& rows) {
  std::vector<std::string> out;
  for (const IndexEntry& e : rows) out.push_back(e.name);
  return out;
}

TEST(IndexLinesTest, RowsComeBottomLineFirstAndMalformedLinesGiveNone) {
  int malformed = 0;
  auto rows = Fill("C:\\a\t9\t10\t1078495620\nC:\\b\t9\t20\t5\nC:\\a.txt\tx\t12\nC:\\c\t9\t30\t7\n",
                   "", &malformed);
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"C:\\c", "C:\\b", "C:\\a"}));
  EXPECT_EQ(malformed, 1);
  EXPECT_EQ(rows[2].size, 10);
  EXPECT_EQ(rows[2].modified, 1078495620);
}

TEST(IndexLinesTest, RunsOfTabsAreOneSeparatorAndNumbersReadLikeAtol) {
  auto entry = ParseIndexLine("\t\tC:\\My Documents\\a.txt\t\tx\t\t 42kB\t-1\textra\n");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "C:\\My Documents\\a.txt");
  EXPECT_EQ(entry->size, 42);
  EXPECT_EQ(entry->modified, -1);
  EXPECT_EQ(ToInt32("99999999999"), INT32_MAX);
  EXPECT_EQ(ToInt32("abc"), 0);
  EXPECT_EQ(IndexCell(*entry, 1), "42");
  EXPECT_EQ(IndexCell({"x", -1, 0}, 1), "4294967295");
  EXPECT_EQ(IndexCell(*entry, 3), "");
}

TEST(IndexLinesTest, FilterIsACaseInsensitivePieceOfThePath) {
  const std::string listing =
      "C:\\My Documents\\a.txt\t1\t2\t3\nC:\\other\t1\t2\t3\nC:\\Über\\Äpfel\t1\t2\t3\n";
  for (const char* filter : {"DOC", "ents\\a"}) {
    EXPECT_EQ(Names(Fill(listing, filter)), std::vector<std::string>{"C:\\My Documents\\a.txt"})
        << filter;
  }
  EXPECT_EQ(Names(Fill(listing, "äPF")), std::vector<std::string>{"C:\\Über\\Äpfel"});
  EXPECT_EQ(Fill(listing, "").size(), 3u);
}

TEST(IndexLinesTest, StoredNamesAreShownAndSearchedAsTheHostNamesThem) {
  const std::string stored = "Z:\\home\\Meeting 10\uF03A30.txt";
  auto rows = Fill(stored + "\t1\t2\t3\nZ:\\home\\other\t1\t2\t3\n", "10:30");
  ASSERT_EQ(Names(rows), std::vector<std::string>{stored});
  EXPECT_EQ(IndexCell(rows[0], 0), "Z:\\home\\Meeting 10:30.txt");
}

using ServerIndexTest = IndexFixture;

const std::string kListing = "C:\\one\t5\t1\t100\nC:\\two\t5\t2\t200\nC:\\three\t5\t3\t300\n";

TEST_F(ServerIndexTest, RetrievalFillsTheListShowsItAndSearchFiltersTheFile) {
  ScriptedServer server;
  server.Expect("SEND_BACKED_UP_FILES")
      .Send(std::to_string(kListing.size() + 12))
      .Expect("OK")
      .Send(kListing.substr(0, 20))
      .StaySilent(50)
      .Send(kListing.substr(20) + "C:\\bad\tx\t12\n");
  Serve(server);
  EXPECT_EQ(RetrieveIndex(*doc, *session, list, counters), 0);
  ExpectScriptFollowed(server);
  EXPECT_EQ(list.names(), (std::vector<std::string>{"C:\\three", "C:\\two", "C:\\one"}));
  EXPECT_EQ(list.searchText(), "");
  EXPECT_TRUE(list.shown);
  EXPECT_EQ(counters.expected, static_cast<int32_t>(kListing.size() + 12));
  EXPECT_EQ(counters.received, counters.expected);
  EXPECT_EQ(LogMessages(), std::vector<std::string>{"Error found on line in index file"});
  EXPECT_TRUE(prompt.boxes().empty());
  ExpectLockFree();

  // The file stays where it was written when the current directory moves.
  ASSERT_EQ(plat::MakeDirectory("C:\\elsewhere"), 0);
  ASSERT_EQ(plat::ChangeDirectory("C:\\elsewhere"), 0);
  SearchIndex(*doc, list, "T");
  plat::ResetCurrentDirectory();
  EXPECT_EQ(list.names(), (std::vector<std::string>{"C:\\three", "C:\\two"}));
  EXPECT_EQ(list.searchText(), "T");
  EXPECT_EQ(LogMessages().size(), 1u);
}

TEST_F(ServerIndexTest, NoStoredFilesLeavesTheDialogHidden) {
  ScriptedServer server;
  server.Expect("SEND_BACKED_UP_FILES").Send("0").StaySilent(200);
  Serve(server);
  EXPECT_EQ(RetrieveIndex(*doc, *session, list, counters), 1);
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{kNoStoredFilesText});
  EXPECT_EQ(counters.expected, -1);
  EXPECT_FALSE(list.shown);
  EXPECT_EQ(list.fills(), 0);
  ExpectLockFree();
  plat::SocketClose(session->sessionSocket);
  session->sessionSocket = -1;
  server.WaitFinished();
  EXPECT_EQ(server.received(), "SEND_BACKED_UP_FILES");
}

TEST_F(ServerIndexTest, BusyLockEndsTheWait) {
  int lock = session->AcquireCommsLock();
  ASSERT_NE(lock, -1);
  EXPECT_EQ(RetrieveIndex(*doc, *session, list, counters), 1);
  session->ReleaseCommsLock(lock);
  EXPECT_EQ(counters.expected, -1);
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{kIndexLockText});
  EXPECT_EQ(prompt.boxes()[0].icon, Icon::Warning);
  EXPECT_EQ(Log()[0], (LogRecord{1, kIndexLockText, Log()[0].sortKey}));
}

// A receive that fails, times out or finds the connection closed ends the retrieval in order.
TEST_F(ServerIndexTest, SilenceOrACloseMidListingEndsTheWaitInOrder) {
  for (bool close : {false, true}) {
    ScriptedServer server;
    server.Expect("SEND_BACKED_UP_FILES").Send("500").Expect("OK").Send(kListing);
    if (close)
      server.Close();
    else
      server.StaySilent(2000);
    Serve(server);
    RetrievalCounters fresh;
    EXPECT_EQ(RetrieveIndex(*doc, *session, list, fresh, 300), 1);
    EXPECT_EQ(fresh.expected, -1);
    EXPECT_EQ(fresh.received, static_cast<int32_t>(kListing.size()));
    EXPECT_EQ(list.fills(), 0);
    EXPECT_FALSE(list.shown);
    ExpectLockFree();
    plat::SocketClose(session->sessionSocket);
  }
  EXPECT_EQ(LogMessages(), std::vector<std::string>(2, kIndexLostText));
  EXPECT_EQ(prompt.texts(), std::vector<std::string>(2, kIndexLostText));
  session->sessionSocket = -1;
}

// The listing, then a PING that must find its own reply, not the rest of the listing.
void ServeListingThenPing(ScriptedServer& server) {
  server.Expect("SEND_BACKED_UP_FILES")
      .Send(std::to_string(kListing.size()))
      .Expect("OK")
      .Send(kListing)
      .Expect("PING")
      .Send("PING_ACK");
}

TEST_F(ServerIndexTest, AnUncreatableIndexFileStillConsumesTheListing) {
  std::filesystem::create_directories(world.driveC() + "/temp_index_file_xyz5555");
  ScriptedServer server;
  ServeListingThenPing(server);
  Serve(server);
  EXPECT_EQ(RetrieveIndex(*doc, *session, list, counters), 1);
  EXPECT_EQ(counters.expected, -1);
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{kIndexWriteErrorText});
  EXPECT_EQ(Log()[0].level, 2);
  ExpectLockFree();
  // The next exchange reads its own reply, not the rest of the listing.
  SendWord(session->sessionSocket, "PING");
  EXPECT_EQ(ReceiveReply(session->sessionSocket, kReplyCapacity), "PING_ACK");

  std::filesystem::remove(world.driveC() + "/temp_index_file_xyz5555");
  SearchIndex(*doc, list, "");
  EXPECT_EQ(prompt.texts().back(), kIndexReadErrorText);
  EXPECT_EQ(prompt.boxes().back().owner, Owner::DeleteDialog);
  EXPECT_EQ(list.fills(), 0);
}

TEST_F(ServerIndexTest, AListingTheDiskCannotHoldIsAnErrorNotAShorterList) {
  std::filesystem::create_symlink("/dev/full", world.driveC() + "/temp_index_file_xyz5555");
  ScriptedServer server;
  ServeListingThenPing(server);
  Serve(server);
  EXPECT_EQ(RetrieveIndex(*doc, *session, list, counters), 1);
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{kIndexWriteErrorText});
  EXPECT_EQ(list.fills(), 0);
  ExpectLockFree();
  SendWord(session->sessionSocket, "PING");
  EXPECT_EQ(ReceiveReply(session->sessionSocket, kReplyCapacity), "PING_ACK");
}

}  // namespace
}  // namespace arkvale::test
