#pragma once
// Framing on the session socket: no length prefix, no terminator. A word or a buffer goes out with
// one send; a reply is read as a C string of at most a stated capacity. The server is read as a
// stream: where it may send two messages with nothing from us between them, ReceiveWord takes
// exactly the message expected and keeps the rest for the next receive of any kind. Every send
// and every receive is bounded in time, so a silent server never hangs a caller.
#include <cstddef>
#include <initializer_list>
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
// The same for one piece of a longer stream (file data): with moreFollows the piece may wait to
// share a segment with the next one; the stream's last piece goes without it.
long SendBytes(int socket, const void* data, std::size_t length, bool moreFollows);

// One receive of at most capacity bytes, terminated after the last byte received and read up to
// its first NUL. A failure, a time-out or a closed connection gives the empty reply, which
// matches no word.
std::string ReceiveReply(int socket, std::size_t capacity, int timeoutMs = kReplyTimeoutMs);

// The reply that should be one of the expected words. When the input begins with one, that word
// alone is the reply, provided nothing follows it but (the beginning of) a message of `next`, the
// messages the server may send after it of its own accord; the rest waits for the next receive.
// Input that may still grow into an expected word is completed first, within the time-out. Any
// other input is not a match: the reply is then what arrived, up to the first message of `next`
// in it. Replies are read as C strings and cut at capacity (the cut-off rest stays pending).
// A failure, a time-out or a closed connection before anything arrived gives the empty reply.
std::string ReceiveWord(int socket, std::size_t capacity,
                        std::initializer_list<std::string_view> expected,
                        std::initializer_list<std::string_view> next = {},
                        int timeoutMs = kReplyTimeoutMs);

// One receive of raw data (file contents, listings), NUL bytes included. Bytes received, 0 when
// the peer closed, -1 on failure or time-out.
long ReceiveData(int socket, char* buffer, std::size_t capacity, int timeoutMs = kReplyTimeoutMs);

}  // namespace arkvale
