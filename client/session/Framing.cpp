#include "client/session/Framing.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/Sockets.h"

namespace arkvale {

namespace {

using Words = std::initializer_list<std::string_view>;

bool StartsWith(std::string_view text, std::string_view head) {
  return text.substr(0, head.size()) == head;
}

// Where the message at the front of input ends, or npos while more must arrive to tell.
std::size_t MessageEnd(std::string_view input, Words expected, Words next) {
  for (std::string_view word : expected) {
    if (!StartsWith(input, word)) continue;
    std::string_view rest = input.substr(word.size());
    if (rest.empty()) return word.size();
    for (std::string_view follower : next) {
      if (StartsWith(rest, follower) || StartsWith(follower, rest)) return word.size();
    }
  }
  if (input.empty()) return std::string_view::npos;
  for (std::string_view word : expected) {
    if (input.size() < word.size() && StartsWith(word, input)) return std::string_view::npos;
  }
  // Not what we expected: it runs up to the first message that may follow it.
  std::size_t end = input.size();
  for (std::string_view follower : next) {
    if (follower.empty()) continue;
    std::size_t at = input.find(follower, 1);
    if (at != std::string_view::npos) end = std::min(end, at);
  }
  return end;
}

}  // namespace

long SendWord(int socket, std::string_view word, int timeoutMs) {
  return plat::SocketSend(socket, word.data(), word.size(), timeoutMs);
}

long SendBytes(int socket, const void* data, std::size_t length) {
  return plat::SocketSend(socket, data, length);
}

long SendBytes(int socket, const void* data, std::size_t length, bool moreFollows) {
  return plat::SocketSend(socket, data, length, plat::kSendTimeoutMs, moreFollows);
}

std::string ReceiveReply(int socket, std::size_t capacity, int timeoutMs) {
  if (socket < 0 || capacity == 0) return {};
  std::vector<char> buffer(capacity + 1, '\0');
  long received = plat::SocketReceive(socket, buffer.data(), capacity, timeoutMs);
  if (received <= 0) return {};
  buffer[static_cast<std::size_t>(received)] = '\0';
  return std::string(buffer.data());
}

std::string ReceiveWord(int socket, std::size_t capacity, Words expected, Words next,
                        int timeoutMs) {
  if (socket < 0 || capacity == 0) return {};
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string input;
  std::size_t end;
  while ((end = MessageEnd(input, expected, next)) == std::string_view::npos) {
    char piece[4096];
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    long got = plat::SocketReceive(socket, piece, sizeof piece,
                                   static_cast<int>(std::max<long long>(left.count(), 0)));
    if (got <= 0) {
      end = input.size();
      break;
    }
    input.append(piece, static_cast<std::size_t>(got));
  }
  end = std::min(end, capacity);
  plat::SocketUnread(socket, std::string_view(input).substr(end));
  input.resize(end);
  return std::string(input.c_str());
}

long ReceiveData(int socket, char* buffer, std::size_t capacity, int timeoutMs) {
  if (socket < 0 || capacity == 0) return -1;
  return plat::SocketReceive(socket, buffer, capacity, timeoutMs);
}

}  // namespace arkvale
