#include <gtest/gtest.h>

#include "server/CredentialsCheck.h"
#include "tests/server/Dialogues.h"
#include "tests/server/RawClient.h"
#include "tests/server/ServerHarness.h"

namespace arkvale::test {
namespace {

TEST(CredentialsTest, SplitsUserAndPasswordEachFollowedByAComma) {
  auto credentials = server::ParseCredentials("ann,se cret,");
  ASSERT_TRUE(credentials);
  EXPECT_EQ(credentials->user, "ann");
  EXPECT_EQ(credentials->password, "se cret");
  EXPECT_TRUE(server::ParseCredentials("ann,,"));  // an empty password is still a shape
  EXPECT_FALSE(server::ParseCredentials(",secret,"));
  EXPECT_FALSE(server::ParseCredentials("ann,secret"));
  EXPECT_FALSE(server::ParseCredentials("ann,secret,x"));
  EXPECT_FALSE(server::ParseCredentials("ann,sec,ret,"));
}

TEST(CredentialsTest, DecryptsOnlyWhatTheBuiltInKeyEncrypted) {
  EXPECT_EQ(server::DecryptCredentials(EncryptCredentials("ann,secret,")), "ann,secret,");
  EXPECT_FALSE(server::DecryptCredentials("ann,secret,"));
  EXPECT_FALSE(server::DecryptCredentials(""));
}

TEST(LoginTest, AcceptedLoginIsAnsweredWithExactlyOk) {
  ServerHarness server;
  RawClient client(server.port());
  client.Send(EncryptCredentials("ann,secret,"));
  EXPECT_EQ(client.Receive(5000, 7), "OK");
  EXPECT_TRUE(client.Silent(300));  // nothing trails the two letters
  EXPECT_EQ(client.Ask("SEND_QUOTA_DATA"), "0:100");
  EXPECT_EQ(client.Ask("PING"), "GOT_YOUR_PING");
}

TEST(LoginTest, RefusalsLeaveTwoMoreTriesThenTheConnectionCloses) {
  ServerHarness server;
  {
    RawClient client(server.port());
    std::string refusal = client.Login("ann", "wrong");
    EXPECT_NE(refusal, "OK");
    EXPECT_LE(refusal.size(), 7u);  // fits the client's login buffer
    EXPECT_EQ(client.Login("ann", "secret"), "OK");
  }
  RawClient client(server.port());
  EXPECT_NE(client.Login("bob", "secret"), "OK");
  EXPECT_NE(client.Ask("not encrypted at all"), "OK");
  EXPECT_NE(client.Login("ann", "Secret"), "OK");
  EXPECT_TRUE(client.ClosedByServer());
}

TEST(LoginTest, NothingButCredentialsIsAnsweredBeforeALogin) {
  ServerHarness server;
  RawClient client(server.port());
  std::string reply = client.Ask("PING");
  EXPECT_NE(reply, "GOT_YOUR_PING");
  EXPECT_NE(reply, "OK");
  EXPECT_NE(client.Ask("SEND_QUOTA_DATA"), "0:100");
  EXPECT_NE(client.Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_TRUE(client.ClosedByServer());
}

TEST(LoginTest, AccountCommandsTakeEffectForTheNextLogin) {
  ServerHarness server;
  EXPECT_FALSE(server.catalog().AddUser("ann", "other", 5));
  EXPECT_TRUE(server.catalog().SetPassword("ann", "new"));
  EXPECT_TRUE(server.catalog().SetQuota("ann", 2048));
  EXPECT_FALSE(server.catalog().SetQuota("nobody", 1));
  RawClient client(server.port());
  EXPECT_NE(client.Login("ann", "secret"), "OK");
  EXPECT_EQ(client.Login("ann", "new"), "OK");
  EXPECT_EQ(client.Ask("SEND_QUOTA_DATA"), "0:2048");
}

TEST(SessionTest, DisconnectClosesAndUnknownCommandsAreRefused) {
  ServerHarness server;
  auto client = LoggedInClient(server.port());
  EXPECT_EQ(client->Ask("HELLO"), "UNKNOWN_COMMAND");
  EXPECT_EQ(client->Ask("ping"), "UNKNOWN_COMMAND");  // words are case-sensitive
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
  client->Send("DISCONNECT");
  EXPECT_TRUE(client->ClosedByServer());
}

TEST(SessionTest, BackToBackCommandsInOneSegmentAreAnsweredOneByOne) {
  ServerHarness server;
  auto client = LoggedInClient(server.port());
  client->Send("PINGSEND_QUOTA_DATA");
  // The second reply waits for nothing, but the replies are separate messages in order.
  std::string replies = client->ReceiveBytes(std::string("GOT_YOUR_PING0:100").size());
  EXPECT_EQ(replies, "GOT_YOUR_PING0:100");
}

TEST(SessionTest, CommandSplitOverSegmentsIsStillOneCommand) {
  ServerHarness server;
  auto client = LoggedInClient(server.port());
  client->Send("SEND_QU");
  EXPECT_TRUE(client->Silent(200));
  EXPECT_EQ(client->Ask("OTA_DATA"), "0:100");
}

TEST(SessionTest, SilentClientIsDropped) {
  server::SessionSettings settings;
  settings.timing.idleTimeoutMs = 400;
  ServerHarness server(settings);
  RawClient before(server.port());  // silent before any login
  auto after = LoggedInClient(server.port());
  EXPECT_TRUE(before.ClosedByServer(3000));
  EXPECT_TRUE(after->ClosedByServer(3000));
}

TEST(SessionTest, ASecondServerOnTheSameDataIsRefused) {
  ServerHarness server;
  server::ServerConfig config;
  config.dataDirectory = server.dataDirectory();
  config.port = 0;
  EXPECT_THROW(server::Server second(config), std::runtime_error);
  EXPECT_EQ(LoggedInClient(server.port())->Ask("PING"), "GOT_YOUR_PING");
}

TEST(SessionTest, ManyClientsAreServedAtOnce) {
  ServerHarness server;
  std::vector<std::unique_ptr<RawClient>> clients;
  for (int i = 0; i < 5; ++i) clients.push_back(LoggedInClient(server.port()));
  for (auto& client : clients) EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
}

}  // namespace
}  // namespace arkvale::test
