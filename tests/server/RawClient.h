#pragma once
// A bare TCP client for driving the server byte by byte: every send is one segment, every
// receive is what one receive call returns, as the real client reads its replies.
#include <cstdint>
#include <string>
#include <string_view>

namespace arkvale::test {

// "user,password," encrypted with ccrypt under the built-in credentials key.
std::string EncryptCredentials(const std::string& text);

class RawClient {
 public:
  explicit RawClient(std::uint16_t port);
  ~RawClient();
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  void Send(std::string_view bytes);
  // The same for a server that may be gone: false instead of a failure.
  bool TrySend(std::string_view bytes);
  // One receive of at most capacity bytes; empty when the server closed or nothing came in time.
  std::string Receive(int timeoutMs = 5000, std::size_t capacity = 65536);
  // Exactly count bytes, in as many receives as it takes; fewer when the connection ends.
  std::string ReceiveBytes(std::size_t count, int timeoutMs = 5000);
  std::string Ask(std::string_view message) {
    Send(message);
    return Receive();
  }
  // True when the server closes the connection within timeoutMs (any bytes before are dropped).
  bool ClosedByServer(int timeoutMs = 5000);
  // True when nothing arrives for ms.
  bool Silent(int ms);
  // Sends the encrypted credentials and returns the reply.
  std::string Login(const std::string& user, const std::string& password);
  void Close();

 private:
  int fd_ = -1;
};

}  // namespace arkvale::test
