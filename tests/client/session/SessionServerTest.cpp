// The whole session against the reference server: login, quota, keep-alive, disconnect.
#include <filesystem>

#include "tests/client/session/SessionFixture.h"
#include "tests/support/ReferenceServer.h"

namespace arkvale::test {
namespace {

class ReferenceSession : public SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
    server = std::make_unique<ReferenceServer>(world.root() + "/server");
    ASSERT_TRUE(server->running());
    ASSERT_EQ(server->Account({"add-user", "ann", "secret", "4000"}), 0);
    session->serverPort = server->port();
  }
  void TearDown() override { server.reset(); }

  std::unique_ptr<ReferenceServer> server;
};

TEST_F(ReferenceSession, ConnectQuotaKeepAliveDisconnectLogExactlyTheirEntries) {
  view.QueueLogin("ann", "secret");
  session->Connect();
  ASSERT_NE(session->sessionSocket, -1);
  ASSERT_EQ(view.quotas().size(), 1u);
  EXPECT_EQ(view.quotas()[0].used, "    0.00 MB ");
  EXPECT_EQ(view.quotas()[0].limit, "    4.00 MB ");
  EXPECT_EQ(view.quotas()[0].percent, "0");

  session->KeepAlive();
  session->KeepAlive();
  EXPECT_TRUE(session->connectionAlive);
  EXPECT_NE(session->sessionSocket, -1);
  session->Disconnect();

  EXPECT_EQ(Log(), (std::vector<LogEntry>{Entry(0, "Connected to server"),
                                          Entry(0, "Disconnected from backup server")}));
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{"Logged in successfully"});
  EXPECT_EQ(view.buttons(), (std::vector<ConnectionButton>{
                                ConnectionButton::Disconnect, ConnectionButton::Disconnect,
                                ConnectionButton::Disconnect, ConnectionButton::Connect}));
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_EQ(doc->loggedIn, 0);
}

TEST_F(ReferenceSession, WrongPasswordThreeTimesIsRefused) {
  for (int i = 0; i < 3; ++i) view.QueueLogin("ann", "wrong");
  session->Connect();
  EXPECT_EQ(Log(),
            (std::vector<LogEntry>{
                Entry(0, "Error in user or password"), Entry(0, "Error in user or password"),
                Entry(0, "Error in user or password"), Entry(0, "Failed to connect  to server")}));
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_EQ(doc->loggedIn, 0);
}

std::size_t OpenDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

TEST_F(ReferenceSession, StartUpConnectionDuringTheLoginDialogLeavesTheSessionToConnect) {
  const std::size_t before = OpenDescriptors();
  int automatic = -1;
  view.WhileNextDialogOpen([&] { automatic = session->ConnectAutomatically(); });
  view.QueueLogin("ann", "secret");
  session->Connect();
  // The Connect command is already under way: no second connection is made.
  EXPECT_EQ(automatic, 0);
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(0, "Connected to server")});
  EXPECT_EQ(view.quotas().size(), 1u);

  session->Disconnect();
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(ReferenceSession, AutomaticConnectionThenServerGoneIsLostOnce) {
  EXPECT_EQ(session->ConnectAutomatically(), 0);
  ASSERT_NE(session->sessionSocket, -1);
  session->KeepAlive();
  EXPECT_TRUE(session->connectionAlive);
  server.reset();
  session->KeepAlive();
  session->KeepAlive();
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_EQ(Log(), (std::vector<LogEntry>{Entry(0, "Automatic connection to server", -1),
                                          Entry(2, "Lost connection to server")}));
  EXPECT_TRUE(prompt.boxes().empty());
}

}  // namespace
}  // namespace arkvale::test
