#pragma once
// Reading a file through a descriptor the caller holds (a restored file not yet in its place).
#include <cstddef>
#include <cstdint>
#include <optional>

namespace plat {

// Like pread, retried when interrupted: bytes read, 0 at the end, -1 on error (errno set).
long ReadAt(int fd, char* buffer, std::size_t length, uint64_t offset);
// The size of the file behind fd, or nullopt.
std::optional<uint64_t> SizeOf(int fd);

}  // namespace plat
