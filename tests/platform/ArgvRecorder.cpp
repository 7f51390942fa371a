// A child for the process tests. Writes "record" into its working directory: its pid, the
// descriptors above 2 it inherited, where stdout goes, its argv, a key on descriptor 3, then its
// standard input.
// Words it understands anywhere in argv: "--sleep" (linger a second after recording, so the
// test can look at it), "--exit=N" (exit code), "--kill" (die by a signal), "--no-stdin" (leave
// an inherited standard input alone).
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  std::string leaked;
  for (int fd = 3; fd < 1024; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) leaked += std::to_string(fd) + " ";
  }
  char out[4096] = {};
  ssize_t n = readlink("/proc/self/fd/1", out, sizeof out - 1);
  std::string record = "pid " + std::to_string(getpid()) + "\n";
  record += "fds " + leaked + "\n";
  record += "stdout " + std::string(out, n > 0 ? static_cast<size_t>(n) : 0) + "\n";
  record += "argc " + std::to_string(argc) + "\n";
  for (int i = 0; i < argc; ++i) record += std::string("arg ") + argv[i] + "\n";
  // A key handed over on a descriptor of its own: "-k", "/dev/fd/3".
  for (int i = 0; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "-k") != 0 || std::strcmp(argv[i + 1], "/dev/fd/3") != 0) continue;
    char key[256];
    ssize_t got = read(3, key, sizeof key);
    record += "key " + std::string(key, got > 0 ? static_cast<size_t>(got) : 0);
  }
  record += "stdin ";
  bool readStdin = true;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-stdin") == 0) readStdin = false;
  }
  char buffer[4096];
  while (readStdin && (n = read(0, buffer, sizeof buffer)) > 0) {
    record.append(buffer, static_cast<size_t>(n));
  }

  FILE* f = std::fopen("record.tmp", "w");
  if (f == nullptr) return 3;
  std::fwrite(record.data(), 1, record.size(), f);
  std::fclose(f);
  std::rename("record.tmp", "record");

  int code = 0;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--sleep") == 0) sleep(1);
    if (std::strncmp(argv[i], "--exit=", 7) == 0) code = std::atoi(argv[i] + 7);
    if (std::strcmp(argv[i], "--kill") == 0) raise(SIGKILL);
  }
  return code;
}
