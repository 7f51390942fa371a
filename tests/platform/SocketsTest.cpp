#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/Sockets.h"

namespace {

using Clock = std::chrono::steady_clock;

// A listening socket on 127.0.0.1 and a free port.
class Listener {
 public:
  Listener() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(listen(fd_, 4), 0);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~Listener() { close(fd_); }
  uint16_t port() const { return port_; }
  int Accept() { return accept(fd_, nullptr, nullptr); }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

// A connected pair: the client through the layer, the server end plain.
struct Connection {
  Listener listener;
  int client = plat::SocketCreate();
  int server = -1;
  Connection() {
    EXPECT_EQ(plat::SocketConnect(client, 0x7F000001, listener.port()), 0);
    server = listener.Accept();
  }
  ~Connection() {
    if (client >= 0) plat::SocketClose(client);
    if (server >= 0) close(server);
  }
};

TEST(Sockets, LocalhostNamesNeverAskTheResolver) {
  EXPECT_EQ(plat::SocketsStartup(), 0);
  for (const char* name : {"localhost", "arkvale.localhost", "Backup.Arkvale.LOCALHOST",
                           "x.localhost.", "localhost."}) {
    EXPECT_EQ(plat::LookupHost(name), 0x7F000001u) << name;
  }
  EXPECT_EQ(plat::LookupHost("10.1.2.3"), 0x0A010203u);
  EXPECT_FALSE(plat::LookupHost(""));
  EXPECT_FALSE(plat::LookupHost("notlocalhost.invalid"));
  EXPECT_FALSE(plat::LookupHost(std::string("a.localhost\0evil", 16)));
}

TEST(Sockets, SendAndReceiveOverLoopback) {
  Connection c;
  ASSERT_GE(c.server, 0);
  std::string text = "LOGIN ann\n";
  EXPECT_EQ(plat::SocketSend(c.client, text.data(), text.size()), static_cast<long>(text.size()));
  char buffer[64] = {};
  ASSERT_EQ(recv(c.server, buffer, sizeof buffer, 0), static_cast<ssize_t>(text.size()));
  EXPECT_EQ(std::string(buffer, text.size()), text);

  ASSERT_EQ(send(c.server, "PONGPONG", 8, 0), 8);
  char small[5] = {};
  EXPECT_EQ(plat::SocketReceive(c.client, small, 4, 1000), 4);
  EXPECT_EQ(std::string(small, 4), "PONG");
  EXPECT_EQ(plat::SocketReceive(c.client, small, 4, 1000), 4);

  // A large send goes out whole while the peer reads.
  std::string big(3'000'000, 'x');
  std::size_t received = 0;
  std::thread reader([&] {
    std::vector<char> chunk(65536);
    ssize_t n;
    while (received < big.size() && (n = recv(c.server, chunk.data(), chunk.size(), 0)) > 0) {
      received += static_cast<std::size_t>(n);
    }
  });
  EXPECT_EQ(plat::SocketSend(c.client, big.data(), big.size()), static_cast<long>(big.size()));
  reader.join();
  EXPECT_EQ(received, big.size());
}

TEST(Sockets, BytesReadTooFarComeFirstAndGoWithTheSocket) {
  int number;
  {
    Connection c;
    ASSERT_EQ(send(c.server, "NEW", 3, 0), 3);
    plat::SocketUnread(c.client, "OLD");
    char buffer[16] = {};
    EXPECT_EQ(plat::SocketReceive(c.client, buffer, 2, 1000), 2);
    EXPECT_EQ(plat::SocketReceive(c.client, buffer + 2, sizeof buffer - 2, 1000), 1);
    EXPECT_EQ(plat::SocketReceive(c.client, buffer + 3, sizeof buffer - 3, 1000), 3);
    EXPECT_EQ(std::string(buffer), "OLDNEW");
    plat::SocketUnread(c.client, "LEFT");
    number = c.client;
  }
  // The next socket may get the same number; it starts with nothing pending.
  Connection next;
  ASSERT_EQ(next.client, number);
  char buffer[16];
  EXPECT_EQ(plat::SocketReceive(next.client, buffer, sizeof buffer, 0), -1);
}

TEST(Sockets, ReceiveIsBoundedInTime) {
  Connection c;
  char buffer[16];
  Clock::time_point start = Clock::now();
  EXPECT_EQ(plat::SocketReceive(c.client, buffer, sizeof buffer, 300), -1);
  auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  EXPECT_GE(waited.count(), 250);
  EXPECT_LT(waited.count(), 2000);
  EXPECT_EQ(plat::SocketReceive(c.client, buffer, sizeof buffer, 0), -1);
}

TEST(Sockets, PeerCloseAndBrokenPipe) {
  Connection c;
  close(c.server);
  c.server = -1;
  char buffer[16];
  EXPECT_EQ(plat::SocketReceive(c.client, buffer, sizeof buffer, 1000), 0);
  // Sending into a closed connection fails instead of killing the process with SIGPIPE.
  std::string chunk(100000, 'y');
  long result = 0;
  for (int i = 0; i < 50 && result >= 0; ++i) {
    result = plat::SocketSend(c.client, chunk.data(), chunk.size());
  }
  EXPECT_EQ(result, -1);
}

TEST(Sockets, ConnectFailures) {
  int port;
  {
    Listener gone;
    port = gone.port();
  }
  int s = plat::SocketCreate();
  ASSERT_GE(s, 0);
  EXPECT_EQ(plat::SocketConnect(s, 0x7F000001, static_cast<uint16_t>(port)), -1);
  EXPECT_EQ(plat::SocketClose(s), 0);
  EXPECT_EQ(plat::SocketClose(s), -1);
}

}  // namespace
