#include "client/session/Framing.h"

#include <vector>

#include "platform/Sockets.h"

namespace arkvale {

long SendWord(int socket, std::string_view word, int timeoutMs) {
  return plat::SocketSend(socket, word.data(), word.size(), timeoutMs);
}

long SendBytes(int socket, const void* data, std::size_t length) {
  return plat::SocketSend(socket, data, length);
}

std::string ReceiveReply(int socket, std::size_t capacity, int timeoutMs) {
  if (socket < 0 || capacity == 0) return {};
  std::vector<char> buffer(capacity + 1, '\0');
  long received = plat::SocketReceive(socket, buffer.data(), capacity, timeoutMs);
  if (received <= 0) return {};
  buffer[static_cast<std::size_t>(received)] = '\0';
  return std::string(buffer.data());
}

long ReceiveData(int socket, char* buffer, std::size_t capacity, int timeoutMs) {
  if (socket < 0 || capacity == 0) return -1;
  return plat::SocketReceive(socket, buffer, capacity, timeoutMs);
}

}  // namespace arkvale
