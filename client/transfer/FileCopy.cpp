#include "client/transfer/FileCopy.h"

#include <cstdio>
#include <vector>

#include "client/settings/EventLog.h"
#include "platform/Files.h"

namespace arkvale {

namespace {

// Large pieces: a 64 MiB file in 1000-byte ones spends more time in calls than in copying.
constexpr std::size_t kCopyChunk = 64 * 1024;
constexpr unsigned kOwnerOnly = 0600;

void ReportProblem(const char* text, Prompt& prompt, EventLog& log, Owner owner) {
  log.Write(kLogWarning, text);
  prompt.ShowMessage(text, kCaption, Icon::Warning, owner);
}

}  // namespace

int my_file_copy(const std::string& source, const std::string& destination, Prompt& prompt,
                 EventLog& log, Owner owner) {
  FILE* in = plat::OpenStream(source, "rb");
  if (in == nullptr) {
    log.Write(kLogError, "Failed to open file: " + source + " for reading during my_file_copy");
    return 1;
  }
  FILE* out = plat::OpenStream(destination, "wb", kOwnerOnly);
  if (out == nullptr) {
    log.Write(kLogError,
              "Failed to open file: " + destination + " for writing during my_file_copy");
    std::fclose(in);
    return 1;
  }
  bool failed = false;
  std::vector<char> buffer(kCopyChunk);
  while (!std::feof(in)) {
    std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
    if (std::ferror(in)) {
      ReportProblem("Problem reading file", prompt, log, owner);
      failed = true;
      break;
    }
    if (got > 0 && std::fwrite(buffer.data(), 1, got, out) < got) {
      ReportProblem("Problem writing file", prompt, log, owner);
      failed = true;
      break;
    }
  }
  std::fclose(in);
  // Buffered data reaches the disk only here; a full disk shows up now.
  if (std::fclose(out) != 0 && !failed) {
    ReportProblem("Problem writing file", prompt, log, owner);
    failed = true;
  }
  if (failed) {
    log.Write(kLogError, "Error while copying file");
    plat::RemoveFile(destination);
    return 1;
  }
  return 0;
}

}  // namespace arkvale
