// Connect, keep-alive, disconnect and the automatic connection against a scripted server.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <utility>

#include "client/session/ChildTools.h"
#include "tests/client/session/SessionFixture.h"
#include "tests/support/ScriptedServer.h"

namespace arkvale::test {
namespace {

constexpr uint32_t kLoopback = 0x7f000001;

class Connect : public SessionFixture {
 protected:
  void Use(ScriptedServer& server) {
    server.Start();
    session->serverPort = server.port();
  }
  // A free port with nothing listening on it.
  static uint16_t DeadPort() {
    ScriptedServer gone;
    gone.Start();
    return gone.port();
  }
  void ExpectBoxes(const std::vector<std::pair<std::string, Icon>>& expected) {
    std::vector<ShownBox> boxes = prompt.boxes();
    ASSERT_EQ(boxes.size(), expected.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      EXPECT_EQ(boxes[i].text, expected[i].first);
      EXPECT_EQ(boxes[i].icon, expected[i].second) << boxes[i].text;
      EXPECT_EQ(boxes[i].caption, "Arkvale") << boxes[i].text;
      EXPECT_EQ(boxes[i].owner, Owner::MainWindow) << boxes[i].text;
    }
  }
};

TEST_F(Connect, LoginAcceptedWithTheTypedPairShowsQuotaThenDisconnects) {
  ScriptedServer server;
  server.ReceiveAny().Send("OK").Expect("SEND_QUOTA_DATA").Send("1000:4000").Expect("DISCONNECT");
  Use(server);
  view.QueueLogin("bob", "typed");
  session->Connect();

  ASSERT_EQ(view.dialogs().size(), 1u);
  EXPECT_EQ(view.dialogs()[0].user, "ann");
  EXPECT_EQ(view.dialogs()[0].password, "secret");
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(0, "Connected to server")});
  ExpectBoxes({{"Logged in successfully", Icon::Information}});
  ASSERT_EQ(view.quotas().size(), 1u);
  EXPECT_EQ(view.quotas()[0].used, "    1.00 MB ");
  EXPECT_EQ(view.quotas()[0].limit, "    4.00 MB ");
  EXPECT_EQ(view.quotas()[0].percent, "25");
  EXPECT_EQ(view.buttons(), std::vector<ConnectionButton>{ConnectionButton::Disconnect});
  EXPECT_EQ(doc->loggedIn, 1);
  EXPECT_NE(session->sessionSocket, -1);
  EXPECT_FALSE(plat::FileExists(kCommsLockPath));

  session->Disconnect();
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_EQ(doc->loggedIn, 0);
  EXPECT_EQ(view.buttons().back(), ConnectionButton::Connect);
  EXPECT_EQ(Log(), (std::vector<LogEntry>{Entry(0, "Connected to server"),
                                          Entry(0, "Disconnected from backup server")}));
  ASSERT_TRUE(server.WaitFinished());
  EXPECT_TRUE(server.failures().empty());
  std::string received = server.received();
  const std::string tail = "SEND_QUOTA_DATADISCONNECT";
  ASSERT_GT(received.size(), tail.size());
  EXPECT_EQ(received.substr(received.size() - tail.size()), tail);
  EXPECT_EQ(DecryptCredentials(received.substr(0, received.size() - tail.size()), world.root()),
            "bob,typed,");
}

TEST_F(Connect, ThreeRefusalsThenFailureEntryAndClosedSocket) {
  ScriptedServer server;
  // Only the exact two characters are an acceptance.
  server.ReceiveAny().Send("OK\n").ReceiveAny().Send("OKAY").ReceiveAny().Send("ok");
  Use(server);
  for (int i = 0; i < 3; ++i) view.QueueLogin("ann", "wrong");
  session->Connect();

  EXPECT_EQ(view.dialogs().size(), 3u);
  EXPECT_EQ(Log(),
            (std::vector<LogEntry>{
                Entry(0, "Error in user or password"), Entry(0, "Error in user or password"),
                Entry(0, "Error in user or password"), Entry(0, "Failed to connect  to server")}));
  ExpectBoxes({{"Error in user or password try again", Icon::Warning},
               {"Error in user or password try again", Icon::Warning},
               {"Error in user or password try again", Icon::Warning}});
  EXPECT_EQ(view.buttons(), std::vector<ConnectionButton>{ConnectionButton::Connect});
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_EQ(doc->loggedIn, 0);
  EXPECT_TRUE(view.quotas().empty());
  EXPECT_FALSE(plat::FileExists(kCommsLockPath));
  EXPECT_TRUE(server.WaitFinished(3000));  // the client closed its end
  EXPECT_TRUE(server.failures().empty());
}

TEST_F(Connect, CancelAtTheSecondDialogEndsWithoutTheFailureEntry) {
  ScriptedServer server;
  server.ReceiveAny().Send("NO");
  Use(server);
  view.QueueLogin("ann", "wrong");
  view.QueueCancel();
  session->Connect();

  EXPECT_EQ(view.dialogs().size(), 2u);
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(0, "Error in user or password")});
  EXPECT_EQ(view.buttons(), std::vector<ConnectionButton>{ConnectionButton::Connect});
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_TRUE(server.WaitFinished(3000));
  EXPECT_FALSE(plat::FileExists(kCommsLockPath));
}

TEST_F(Connect, LockBusyGivesTheWarningAndClosesTheNewConnection) {
  ScriptedServer server;
  Use(server);
  int held = session->AcquireCommsLock();
  ASSERT_GE(held, 0);
  session->Connect();

  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(1, "Failed to get lock during connect request")});
  ExpectBoxes({{"Failed to get lock during connect request", Icon::Warning}});
  EXPECT_TRUE(view.dialogs().empty());
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_TRUE(server.WaitFinished(3000));
  EXPECT_TRUE(server.received().empty());
  // The holder's lock is left alone.
  EXPECT_TRUE(plat::FileExists(kCommsLockPath));
  session->ReleaseCommsLock(held);
}

TEST_F(Connect, CredentialsTooLongForTheirBufferAreRefusedBeforeAnythingIsSent) {
  ScriptedServer server;
  Use(server);
  view.QueueLogin(std::string(150, 'u'), std::string(60, 'p'));
  session->Connect();

  EXPECT_EQ(view.dialogs().size(), 1u);
  EXPECT_EQ(Log(), (std::vector<LogEntry>{Entry(2, "Error encrypting user and password"),
                                          Entry(0, "Failed to connect  to server")}));
  ExpectBoxes({{"Error encrypting user and password", Icon::Error}});
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_TRUE(server.WaitFinished(3000));
  EXPECT_TRUE(server.received().empty());
  EXPECT_FALSE(plat::FileExists(kCredentialsFile));
}

TEST_F(Connect, RefusedAtOnceWhenConnectedOrWithoutServerName) {
  session->sessionSocket = 1000;
  session->Connect();
  session->sessionSocket = -1;
  WriteConfig("ann", "secret", "key", "");
  MakeSession();
  session->Connect();
  ExpectBoxes({{"Already connected", Icon::Information},
               {"Fill in the backup server name in the configuration dialog", Icon::Information}});
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(view.dialogs().empty());
}

TEST_F(Connect, NoServerListeningIsAnErrorOnConnect) {
  session->serverPort = DeadPort();
  session->Connect();
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(2, "Error on connect")});
  ExpectBoxes({{"Error on connect", Icon::Error}});
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_TRUE(view.dialogs().empty());
}

TEST_F(Connect, AKeepAliveBehindItsBoxCannotMakeItCloseSomeoneElsesDescriptor) {
  for (bool lockBusy : {false, true}) {
    ScriptedServer server;
    Use(server);
    if (!lockBusy) session->serverPort = DeadPort();
    int held = lockBusy ? session->AcquireCommsLock() : -1;
    int reused = -1;
    prompt.onShow = [&](const std::string&) {
      // The timer ticks while the box is open; whatever it closes may be reused at once.
      if (held != -1) session->ReleaseCommsLock(std::exchange(held, -1));
      const int victim = session->sessionSocket;
      session->KeepAlive();
      reused = ::open("/dev/null", O_RDONLY);
      // What the keep-alive closed, a new file may take over under the same number.
      if (victim != -1 && reused != victim) {
        ::dup2(reused, victim);
        ::close(std::exchange(reused, victim));
      }
    };
    session->Connect();
    prompt.onShow = nullptr;
    ASSERT_GE(reused, 0);
    EXPECT_NE(::fcntl(reused, F_GETFD), -1) << "lock busy: " << lockBusy;
    ::close(reused);
    EXPECT_EQ(session->sessionSocket, -1);
  }
}

using KeepAlive = Connect;

TEST_F(KeepAlive, WithoutSessionOnlyResetsTheButtons) {
  session->KeepAlive();
  session->KeepAlive();
  EXPECT_EQ(view.buttons(),
            (std::vector<ConnectionButton>{ConnectionButton::Connect, ConnectionButton::Connect}));
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(prompt.boxes().empty());
  EXPECT_FALSE(plat::FileExists(kCommsLockPath));
}

TEST_F(KeepAlive, LostConnectionIsLoggedOnceNotAtEveryTick) {
  ScriptedServer server;
  server.Expect("PING").Send("GOT_YOUR_PING").Expect("PING").Close();
  server.Start();
  int s = plat::SocketCreate();
  ASSERT_EQ(plat::SocketConnect(s, kLoopback, server.port()), 0);
  session->sessionSocket = s;

  session->KeepAlive();
  EXPECT_TRUE(session->connectionAlive);
  EXPECT_EQ(session->sessionSocket, s);
  session->KeepAlive();
  session->KeepAlive();
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_FALSE(session->connectionAlive);
  EXPECT_EQ(view.buttons(),
            (std::vector<ConnectionButton>{ConnectionButton::Disconnect, ConnectionButton::Connect,
                                           ConnectionButton::Connect}));
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(2, "Lost connection to server")});
  EXPECT_TRUE(prompt.boxes().empty());
  EXPECT_TRUE(server.failures().empty());
}

TEST_F(KeepAlive, SilentServerIsGivenUpQuickly) {
  ScriptedServer server;
  server.Expect("PING").StaySilent(10000);
  server.Start();
  int s = plat::SocketCreate();
  ASSERT_EQ(plat::SocketConnect(s, kLoopback, server.port()), 0);
  session->sessionSocket = s;
  session->connectionAlive = true;

  auto start = std::chrono::steady_clock::now();
  session->KeepAlive();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4000));
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(2, "Lost connection to server")});
}

TEST_F(KeepAlive, ServerThatStoppedReadingIsGivenUpQuickly) {
  // A server that accepts nothing and reads nothing: once its buffers are full, a send makes no
  // progress, as after a run that streamed into a hung server.
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(kLoopback);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  int s = plat::SocketCreate();
  ASSERT_EQ(plat::SocketConnect(s, kLoopback, ntohs(address.sin_port)), 0);
  const int flags = ::fcntl(s, F_GETFL);
  ::fcntl(s, F_SETFL, flags | O_NONBLOCK);
  std::string chunk(65536, 'x');
  while (::send(s, chunk.data(), chunk.size(), MSG_NOSIGNAL) > 0) {
  }
  ::fcntl(s, F_SETFL, flags);
  session->sessionSocket = s;
  session->connectionAlive = true;

  auto start = std::chrono::steady_clock::now();
  session->KeepAlive();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(8000));
  EXPECT_EQ(session->sessionSocket, -1);
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(2, "Lost connection to server")});
  ::close(listener);
}

TEST_F(KeepAlive, TickSkippedWhileAnExchangeHoldsTheLock) {
  int held = session->AcquireCommsLock();
  session->sessionSocket = 1000;
  session->KeepAlive();
  EXPECT_EQ(session->sessionSocket, 1000);
  EXPECT_TRUE(view.buttons().empty());
  session->sessionSocket = -1;
  session->ReleaseCommsLock(held);
}

using Disconnect = Connect;

TEST_F(Disconnect, WithoutSessionOnlyResetsTheButtons) {
  session->Disconnect();
  EXPECT_EQ(view.buttons(), std::vector<ConnectionButton>{ConnectionButton::Connect});
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(prompt.boxes().empty());
}

TEST_F(Disconnect, LockBusyIsReportedAndNothingIsSent) {
  ScriptedServer server;
  server.StaySilent(2000);
  server.Start();
  int s = plat::SocketCreate();
  ASSERT_EQ(plat::SocketConnect(s, kLoopback, server.port()), 0);
  session->sessionSocket = s;
  int held = session->AcquireCommsLock();
  session->Disconnect();
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(1, "Failed to get lock during disconnect request")});
  ExpectBoxes({{"Failed to get lock during disconnect request", Icon::Information}});
  EXPECT_EQ(session->sessionSocket, s);
  EXPECT_TRUE(view.buttons().empty());
  session->ReleaseCommsLock(held);
  plat::SocketClose(s);
  EXPECT_TRUE(server.WaitFinished());
  EXPECT_TRUE(server.received().empty());
}

TEST_F(Disconnect, AKeepAliveAfterItFindsNoSessionAndLogsNoLoss) {
  ScriptedServer server;
  server.Expect("PING").Send("GOT_YOUR_PING").Expect("DISCONNECT");
  server.Start();
  int s = plat::SocketCreate();
  ASSERT_EQ(plat::SocketConnect(s, kLoopback, server.port()), 0);
  session->sessionSocket = s;
  session->KeepAlive();
  ASSERT_TRUE(session->connectionAlive);

  session->Disconnect();
  session->KeepAlive();
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(0, "Disconnected from backup server")});
  EXPECT_EQ(view.buttons().back(), ConnectionButton::Connect);
  EXPECT_TRUE(server.WaitFinished());
  EXPECT_TRUE(server.failures().empty());
}

using AutomaticConnection = Connect;

TEST_F(AutomaticConnection, LogsInFromTheConfigurationWithoutBoxes) {
  ScriptedServer server;
  server.ReceiveAny().Send("OK").Expect("SEND_QUOTA_DATA").Send("2000:4000");
  Use(server);
  EXPECT_EQ(session->ConnectAutomatically(), 0);

  // Sorts one second before the entries of the same second.
  EXPECT_EQ(Log(), std::vector<LogEntry>{Entry(0, "Automatic connection to server", -1)});
  EXPECT_TRUE(prompt.boxes().empty());
  EXPECT_TRUE(view.dialogs().empty());
  EXPECT_EQ(view.buttons(), std::vector<ConnectionButton>{ConnectionButton::Disconnect});
  ASSERT_EQ(view.quotas().size(), 1u);
  EXPECT_EQ(view.quotas()[0].percent, "50");
  EXPECT_NE(session->sessionSocket, -1);
  EXPECT_EQ(doc->loggedIn, 1);
  plat::SocketClose(session->sessionSocket.exchange(-1));
  ASSERT_TRUE(server.WaitFinished());
  std::string received = server.received();
  const std::string tail = "SEND_QUOTA_DATA";
  ASSERT_GT(received.size(), tail.size());
  EXPECT_EQ(DecryptCredentials(received.substr(0, received.size() - tail.size()), world.root()),
            "ann,secret,");
}

TEST_F(AutomaticConnection, FailuresAreLoggedOnlyAndLeaveNoSocket) {
  {
    ScriptedServer server;
    server.ReceiveAny().Send("OK\n");
    Use(server);
    EXPECT_NE(session->ConnectAutomatically(), 0);
    EXPECT_EQ(session->sessionSocket, -1);
    EXPECT_TRUE(server.WaitFinished(3000));
  }
  session->serverPort = DeadPort();
  EXPECT_NE(session->ConnectAutomatically(), 0);
  EXPECT_EQ(session->sessionSocket, -1);

  plat::RemoveFile(ConfigFilePath(kInstallDirectory));
  EXPECT_NE(session->ConnectAutomatically(), 0);

  EXPECT_EQ(Log(),
            (std::vector<LogEntry>{
                Entry(2, "Automatic connection to server failed"), Entry(2, "Error on connect"),
                Entry(2, "Failed to open the configuration file during automatic backup")}));
  EXPECT_TRUE(prompt.boxes().empty());
  EXPECT_TRUE(view.buttons().empty());
}

TEST_F(AutomaticConnection, BackgroundLookupFindsTheServer) {
  session->StartHostLookup(ServerHostName("backup"));
  EXPECT_EQ(session->WaitForHostLookup(), kLoopback);
  EXPECT_EQ(session->WaitForHostLookup(), std::nullopt);  // nothing started
  EXPECT_EQ(ServerHostName("backup"), std::string("backup") + ARKVALE_DOMAIN_SUFFIX);
}

}  // namespace
}  // namespace arkvale::test
