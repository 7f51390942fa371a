#include "server/Channel.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace arkvale::server {

namespace {

constexpr std::size_t kPiece = 64 * 1024;
// A client that keeps talking past a malformed message for this long is not a client.
constexpr std::size_t kMaxDiscard = 1024 * 1024;

bool IsPrefixOfAny(std::string_view input, std::span<const std::string_view> words) {
  return std::any_of(words.begin(), words.end(), [&](std::string_view word) {
    return input.size() < word.size() && word.substr(0, input.size()) == input;
  });
}

}  // namespace

Channel::Channel(int fd, ChannelTiming timing) : fd_(fd), timing_(timing) {}

bool Channel::Fill(int timeoutMs, std::size_t capacity) {
  if (capacity == 0) return true;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    pollfd p{fd_, POLLIN, 0};
    int ready = ::poll(&p, 1, static_cast<int>(std::max<long long>(left, 0)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) throw ConnectionEnded("poll failed");
    if (ready == 0) return false;
    std::size_t old = pending_.size();
    std::size_t want = std::min(capacity, kPiece);
    pending_.resize(old + want);
    ssize_t got = ::recv(fd_, pending_.data() + old, want, 0);
    if (got < 0) {
      pending_.resize(old);
      if (errno == EINTR || errno == EAGAIN) continue;
      throw ConnectionEnded("receive failed");
    }
    pending_.resize(old + static_cast<std::size_t>(got));
    if (got == 0) throw ConnectionEnded("client closed the connection");
    return true;
  }
}

void Channel::FillOrEnd(std::size_t capacity) {
  if (!Fill(timing_.idleTimeoutMs, capacity)) throw ConnectionEnded("client silent too long");
}

int Channel::PeekWord(std::span<const std::string_view> words) {
  for (;;) {
    for (std::size_t index = 0; index < words.size(); ++index) {
      if (std::string_view(pending_).substr(0, words[index].size()) == words[index])
        return static_cast<int>(index);
    }
    if (!pending_.empty() && !IsPrefixOfAny(pending_, words)) return -1;
    FillOrEnd(kPiece);
  }
}

int Channel::ExpectWord(std::span<const std::string_view> words) {
  int index = PeekWord(words);
  if (index >= 0) pending_.erase(0, words[static_cast<std::size_t>(index)].size());
  return index;
}

std::string Channel::ReadToken(std::size_t maxLength,
                               const std::function<bool(std::string_view)>& complete) {
  if (pending_.empty()) FillOrEnd(maxLength + 1);
  while (pending_.size() <= maxLength) {
    // Bytes of the same message that are already here come with it, whatever the rule below.
    if (Fill(0, maxLength + 1 - pending_.size())) continue;
    if (pending_.size() < timing_.wholeBelow && (!complete || complete(pending_))) break;
    if (!Fill(timing_.settleMs, maxLength + 1 - pending_.size())) break;
  }
  if (pending_.size() > maxLength) throw ConnectionEnded("message over its size limit");
  std::string token;
  token.swap(pending_);
  return token;
}

std::string Channel::ReadNumberText(std::size_t maxLength) {
  if (pending_.empty()) FillOrEnd(maxLength + 1);
  for (;;) {
    std::size_t end = 0;
    if (end < pending_.size() && pending_[end] == '-') ++end;
    while (end < pending_.size() && pending_[end] >= '0' && pending_[end] <= '9') ++end;
    if (end > maxLength) throw ConnectionEnded("number over its size limit");
    if (end == 0 && !pending_.empty() && pending_[0] != '-') return {};
    // The number may continue in a later segment unless something else already follows it, or
    // it came whole. Never a size from half a number: a number still arriving is waited for.
    bool ended = end < pending_.size();
    if (!ended && !Fill(0, maxLength + 1 - end)) {
      ended = end < timing_.wholeBelow || !Fill(timing_.settleMs, maxLength + 1 - end);
    }
    if (ended) {
      if (end == 1 && pending_[0] == '-') return {};
      std::string text = pending_.substr(0, end);
      pending_.erase(0, end);
      return text;
    }
  }
}

void Channel::ReadExact(std::uint64_t length, const std::function<void(std::string_view)>& sink) {
  std::size_t first = static_cast<std::size_t>(std::min<std::uint64_t>(length, pending_.size()));
  if (first > 0) {
    sink(std::string_view(pending_).substr(0, first));
    pending_.erase(0, first);
    length -= first;
  }
  while (length > 0) {
    FillOrEnd(static_cast<std::size_t>(std::min<std::uint64_t>(length, kPiece)));
    sink(pending_);
    length -= pending_.size();
    pending_.clear();
  }
}

void Channel::DiscardUntilQuiet() {
  std::size_t dropped = pending_.size();
  pending_.clear();
  while (Fill(timing_.settleMs, kPiece)) {
    dropped += pending_.size();
    pending_.clear();
    if (dropped > kMaxDiscard) throw ConnectionEnded("client floods after a malformed message");
  }
}

bool Channel::StaysQuiet(int ms) { return pending_.empty() && !Fill(ms, kPiece); }

void Channel::Unread(std::string_view bytes) { pending_.insert(0, bytes); }

void Channel::Send(std::string_view message) {
  while (!message.empty()) {
    ssize_t sent = ::send(fd_, message.data(), message.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) throw ConnectionEnded("send failed");
    message.remove_prefix(static_cast<std::size_t>(sent));
  }
}

}  // namespace arkvale::server
