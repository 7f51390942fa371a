#include <gtest/gtest.h>

#include <chrono>

#include "client/session/Framing.h"
#include "platform/Sockets.h"
#include "tests/support/ScriptedServer.h"

namespace arkvale {
namespace {

using test::ScriptedServer;

constexpr uint32_t kLoopback = 0x7f000001;

int ConnectTo(const ScriptedServer& server) {
  int s = plat::SocketCreate();
  EXPECT_GE(s, 0);
  EXPECT_EQ(plat::SocketConnect(s, kLoopback, server.port()), 0);
  return s;
}

TEST(Framing, WordsAndBytesGoOutBareWithNothingAdded) {
  ScriptedServer server;
  server.Expect("PING").Expect("SEND_QUOTA_DATA").Expect(std::string("a\0b", 3)).Close();
  server.Start();
  int s = ConnectTo(server);
  EXPECT_EQ(SendWord(s, "PING"), 4);
  EXPECT_EQ(SendWord(s, "SEND_QUOTA_DATA"), 15);
  EXPECT_EQ(SendBytes(s, "a\0b", 3), 3);
  ASSERT_TRUE(server.WaitFinished());
  plat::SocketClose(s);
  EXPECT_TRUE(server.failures().empty());
  EXPECT_EQ(server.received(), std::string("PINGSEND_QUOTA_DATAa\0b", 22));
}

TEST(Framing, ReplyIsOneReceiveCutAtCapacityAndReadAsCString) {
  ScriptedServer server;
  server.Expect("1").Send("OKAY-MORE-TEXT");
  server.Expect("2").Send(std::string("OK\0junk", 7));
  server.Expect("3").Send("OK\n");
  server.Close();
  server.Start();
  int s = ConnectTo(server);
  SendWord(s, "1");
  // Only the capacity is taken; the rest stays for a later receive.
  EXPECT_EQ(ReceiveReply(s, kLoginReplyCapacity), "OKAY-MO");
  EXPECT_EQ(ReceiveReply(s, kReplyCapacity), "RE-TEXT");
  SendWord(s, "2");
  EXPECT_EQ(ReceiveReply(s, kLoginReplyCapacity), "OK");
  SendWord(s, "3");
  EXPECT_EQ(ReceiveReply(s, kLoginReplyCapacity), "OK\n");
  // The server closed: nothing received is the empty reply.
  EXPECT_EQ(ReceiveReply(s, kReplyCapacity), "");
  plat::SocketClose(s);
  EXPECT_TRUE(server.WaitFinished());
}

TEST(Framing, ExpectedWordIsTakenAloneAndWhatFollowsKeptForTheNextReceive) {
  ScriptedServer server;
  server.Expect("1").Send("FILE_TRANSFER_SUCCESSSEND_ME_FILE_INFO");
  server.Expect("2").Send("NOT_NEEDEDSEND_ME_FILE_INFO");
  server.Expect("3").Send("SEND_").StaySilent(100).Send("FILE");
  server.Expect("4").Send("OK\n");
  server.Close();
  server.Start();
  int s = ConnectTo(server);
  SendWord(s, "1");
  EXPECT_EQ(ReceiveWord(s, kReplyCapacity, {"FILE_TRANSFER_SUCCESS", "FILE_TRANSFER_FAILURE"},
                        {"SEND_ME_FILE_INFO"}),
            "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(ReceiveWord(s, kLongReplyCapacity, {"SEND_ME_FILE_INFO"}), "SEND_ME_FILE_INFO");
  // Another reply ends where the message that may follow it begins; every receive sees the rest.
  SendWord(s, "2");
  EXPECT_EQ(ReceiveWord(s, kReplyCapacity, {"SEND_FILE"}, {"SEND_ME_FILE_INFO"}), "NOT_NEEDED");
  char buffer[100];
  ASSERT_EQ(ReceiveData(s, buffer, sizeof buffer), 17);
  EXPECT_EQ(std::string(buffer, 17), "SEND_ME_FILE_INFO");
  // A word cut in two is joined.
  SendWord(s, "3");
  EXPECT_EQ(ReceiveWord(s, kReplyCapacity, {"SEND_FILE"}), "SEND_FILE");
  // More than the word, with nothing that may follow it, is not the word.
  SendWord(s, "4");
  EXPECT_EQ(ReceiveWord(s, kLoginReplyCapacity, {"OK"}), "OK\n");
  plat::SocketClose(s);
  EXPECT_TRUE(server.WaitFinished());
  EXPECT_TRUE(server.failures().empty());
}

TEST(Framing, SilentServerGivesEmptyReplyWithinTheBound) {
  ScriptedServer server;
  server.StaySilent(3000).Close();
  server.Start();
  int s = ConnectTo(server);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReceiveReply(s, kReplyCapacity, 300), "");
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_LT(waited, std::chrono::milliseconds(2000));
  EXPECT_GE(waited, std::chrono::milliseconds(250));
  plat::SocketClose(s);
}

TEST(Framing, RawDataKeepsNulBytesAndNoSocketFails) {
  ScriptedServer server;
  server.Send(std::string("\0\1\2xyz", 6)).Close();
  server.Start();
  int s = ConnectTo(server);
  char buffer[1000];
  long n = ReceiveData(s, buffer, sizeof buffer);
  ASSERT_EQ(n, 6);
  EXPECT_EQ(std::string(buffer, 6), std::string("\0\1\2xyz", 6));
  EXPECT_EQ(ReceiveData(s, buffer, sizeof buffer), 0);
  plat::SocketClose(s);

  EXPECT_EQ(ReceiveReply(-1, kReplyCapacity, 100), "");
  EXPECT_EQ(ReceiveData(-1, buffer, sizeof buffer, 100), -1);
  EXPECT_EQ(SendWord(-1, "PING"), -1);
}

}  // namespace
}  // namespace arkvale
