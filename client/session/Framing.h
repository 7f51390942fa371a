#pragma once
// Framing on the session socket: no length prefix, no terminator. A word or a buffer goes out with
// one send; a reply is one receive of a stated capacity, read as a C string. Every send and every
// receive is bounded in time, so a silent server never hangs a caller.
#include <cstddef>
#include <string>
#include <string_view>

namespace arkvale {

// Long enough for a server that is storing or reading back a big file before it answers.
inline constexpr int kReplyTimeoutMs = 60000;
// The keep-alive runs on the user-interface thread: it must give up quickly.
inline constexpr int kKeepAliveTimeoutMs = 2500;

// Receive capacities of the exchanges.
inline constexpr std::size_t kLoginReplyCapacity = 7;
inline constexpr std::size_t kReplyCapacity = 1000;
inline constexpr std::size_t kLongReplyCapacity = 2000;

// One send of exactly the word's characters (no NUL, no newline). Bytes sent, or -1, also when
// the server takes nothing for timeoutMs.
long SendWord(int socket, std::string_view word, int timeoutMs = kReplyTimeoutMs);
// One send of the whole buffer. Bytes sent, or -1.
long SendBytes(int socket, const void* data, std::size_t length);

// One receive of at most capacity bytes, terminated after the last byte received and read up to
// its first NUL. A failure, a time-out or a closed connection gives the empty reply, which
// matches no word.
std::string ReceiveReply(int socket, std::size_t capacity, int timeoutMs = kReplyTimeoutMs);

// One receive of raw data (file contents, listings), NUL bytes included. Bytes received, 0 when
// the peer closed, -1 on failure or time-out.
long ReceiveData(int socket, char* buffer, std::size_t capacity, int timeoutMs = kReplyTimeoutMs);

}  // namespace arkvale
