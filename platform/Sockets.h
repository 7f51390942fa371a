#pragma once
// TCP sockets. Sends never raise SIGPIPE; every receive is bounded in time.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

// Start-up of the sockets interface; nothing to do on this host, always 0.
int SocketsStartup();

// First IPv4 address (host byte order). Names under ".localhost" (and "localhost" itself)
// answer with 127.0.0.1 without asking the resolver. nullopt when the lookup fails.
std::optional<uint32_t> LookupHost(const std::string& name);

// A send that makes no progress for this long fails instead of blocking for ever.
inline constexpr int kSendTimeoutMs = 60000;

int SocketCreate();  // descriptor or -1
// 0 or -1; an unanswered connection attempt fails after 20 seconds.
int SocketConnect(int socket, uint32_t ipv4, uint16_t port);
// One send of the whole buffer (retried until all is sent); bytes sent or -1, also when no
// progress is made for timeoutMs. Each send goes out at once (no waiting to join it with the
// next), unless more says that the caller's next send continues it: then they may share a
// segment, and the caller's last send of the run goes without more.
long SocketSend(int socket, const void* data, std::size_t length, int timeoutMs = kSendTimeoutMs,
                bool more = false);
// One receive of at most capacity bytes, waiting at most timeoutMs; bytes received, 0 when the
// peer closed, -1 on error or time-out. Bytes handed back with SocketUnread come first, at once.
long SocketReceive(int socket, void* buffer, std::size_t capacity, int timeoutMs);
// Puts bytes read too far back in front of the socket's input, for the next SocketReceive.
// They live as long as the socket: SocketClose and SocketCreate forget them.
void SocketUnread(int socket, std::string_view bytes);
int SocketClose(int socket);  // 0 or -1

}  // namespace plat
