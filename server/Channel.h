#pragma once
// The server's end of one client connection. The client's messages carry no terminators and some
// arrive back to back in one segment, so input is parsed by what the dialogue expects next, never
// by the chance boundaries of a receive. Every wait is bounded; every message has a size limit.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace arkvale::server {

// The connection is over: the peer closed it, stayed silent too long or broke a bound.
class ConnectionEnded : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ChannelTiming {
  // Silence allowed while the client owes us a message. Long, because a client works between two
  // messages: it compresses and encrypts a large file, or waits on its user's answer to a box, and
  // a dropped connection would end its whole run. A peer that vanished is found sooner by TCP
  // keepalive.
  int idleTimeoutMs = 3600000;
  int settleMs = 40;  // quiet time that ends a path or number of unknown length
  // A client message shorter than a TCP segment and sent with one send arrives in one piece, and
  // the client then waits for our answer: such a path or number is whole once it has arrived.
  // 512 stays under any segment size a real network uses. Longer messages may be cut at a
  // segment boundary and still end with the settle time; 0 settles every one.
  std::size_t wholeBelow = 512;
};

class Channel {
 public:
  Channel(int fd, ChannelTiming timing);

  // Consumes the word that the input starts with and returns its index, or returns -1 (consuming
  // nothing) as soon as the input cannot begin any of the words.
  int ExpectWord(std::span<const std::string_view> words);
  int ExpectWord(std::initializer_list<std::string_view> words) {
    return ExpectWord(std::span<const std::string_view>(words.begin(), words.size()));
  }
  // As ExpectWord, but the word stays pending.
  int PeekWord(std::span<const std::string_view> words);

  // The client's message of unknown length: everything that has arrived once it is whole (shorter
  // than wholeBelow and, when given, complete by its form), else everything that arrives until
  // the client pauses for the settle time. More than maxLength bytes ends the connection.
  std::string ReadToken(std::size_t maxLength,
                        const std::function<bool(std::string_view)>& complete = {});

  // The leading number of the input: an optional '-' and the digits after it, up to the first
  // other byte (left pending), the end of a whole message (see wholeBelow) or a pause. Empty
  // when the input does not start with one. Longer than maxLength ends the connection.
  std::string ReadNumberText(std::size_t maxLength);

  // Exactly length bytes, handed to sink piece by piece.
  void ReadExact(std::uint64_t length, const std::function<void(std::string_view)>& sink);

  // Drops what the client is sending until it pauses (after a malformed message).
  void DiscardUntilQuiet();

  // True when nothing arrives for ms; false when the client spoke (the input stays pending).
  bool StaysQuiet(int ms);

  // Puts bytes back in front of the pending input.
  void Unread(std::string_view bytes);

  // One message, one send call.
  void Send(std::string_view message);

 private:
  // Receives up to capacity more bytes, waiting at most timeoutMs; false on time-out.
  bool Fill(int timeoutMs, std::size_t capacity);
  // Waits the idle time for input; ends the connection when none comes.
  void FillOrEnd(std::size_t capacity);

  int fd_;
  ChannelTiming timing_;
  std::string pending_;
};

}  // namespace arkvale::server
