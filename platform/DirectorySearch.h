#pragma once
// A find-first / find-next style listing of one directory with the "*.*" pattern.
// "." and ".." are not returned. Names come in their Windows form (WindowsNames.h). Device
// nodes, FIFOs, sockets and broken links are left out, as no Windows drive holds them.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace plat {

constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeArchive = 0x20;  // every plain file carries it
constexpr uint32_t kFileAttributeReparsePoint = 0x400;

struct FindData {
  std::string name;
  uint32_t attributes = 0;  // directory bit; reparse point for a symbolic link to a directory
  uint64_t size = 0;
  std::time_t lastWriteTime = 0;
};

// windowsDir names the directory (with or without a final backslash, or with a final "\*.*").
// nullopt when it cannot be listed.
std::optional<std::vector<FindData>> ListDirectory(const std::string& windowsDir);

// The same; files and directories whose name has no Windows form that turns back into it are
// not listed but their host paths are appended to refusedHostPaths, so callers can report them.
std::optional<std::vector<FindData>> ListDirectory(const std::string& windowsDir,
                                                   std::vector<std::string>& refusedHostPaths);

}  // namespace plat
