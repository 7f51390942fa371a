#pragma once
// Descriptors that join child processes to each other and to this process.
#include <cstddef>

namespace plat {

// A pipe between two children: fds[0] reads, fds[1] writes; both close-on-exec (a child gets
// only the ends passed to it). false on failure.
bool MakePipe(int fds[2]);
// A channel for feeding a child's standard input from this process: fds[0] for the child,
// fds[1] for Feed; both close-on-exec. false on failure.
bool MakeFeed(int fds[2]);
// Writes all of data to the feed. false when the child has stopped reading (it ended: no
// SIGPIPE is raised) or took nothing for timeoutMs.
bool Feed(int fd, const char* data, std::size_t length, int timeoutMs);
// Closes a descriptor (ignores -1).
void CloseEnd(int fd);

}  // namespace plat
