#include "tests/server/RawClient.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/CredentialsKey.h"

namespace arkvale::test {

namespace fs = std::filesystem;

std::string EncryptCredentials(const std::string& text) {
  std::string pattern = (fs::temp_directory_path() / "arkvale-cred-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return {};
  fs::path dir = pattern;
  char key[kCredentialsKeyLength + 1];
  AssembleCredentialsKey(key);
  std::ofstream(dir / "key") << key << "\n";
  std::ofstream(dir / "cred", std::ios::binary) << text;
  std::string command = "ccrypt -e -f -k '" + (dir / "key").string() + "' '" +
                        (dir / "cred").string() + "' 2>/dev/null";
  std::string encrypted;
  if (std::system(command.c_str()) == 0) {
    std::ifstream in(dir / "cred.cpt", std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    encrypted = all.str();
  }
  fs::remove_all(dir);
  return encrypted;
}

RawClient::RawClient(std::uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    ADD_FAILURE() << "cannot connect to port " << port;
  int on = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

RawClient::~RawClient() { Close(); }

void RawClient::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void RawClient::Send(std::string_view bytes) {
  if (!TrySend(bytes)) ADD_FAILURE() << "send failed";
}

bool RawClient::TrySend(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

std::string RawClient::Receive(int timeoutMs, std::size_t capacity) {
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) <= 0) return {};
  std::string buffer(capacity, '\0');
  ssize_t got = ::recv(fd_, buffer.data(), capacity, 0);
  buffer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return buffer;
}

std::string RawClient::ReceiveBytes(std::size_t count, int timeoutMs) {
  std::string all;
  while (all.size() < count) {
    std::string piece = Receive(timeoutMs, count - all.size());
    if (piece.empty()) break;
    all += piece;
  }
  return all;
}

bool RawClient::ClosedByServer(int timeoutMs) {
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
    if (got <= 0) return true;
  }
}

bool RawClient::Silent(int ms) {
  pollfd p{fd_, POLLIN, 0};
  return ::poll(&p, 1, ms) == 0;
}

std::string RawClient::Login(const std::string& user, const std::string& password) {
  return Ask(EncryptCredentials(user + "," + password + ","));
}

}  // namespace arkvale::test
