#include "client/transfer/StopFiles.h"

#include <cstdio>

#include "platform/Files.h"

namespace arkvale {

void CreateStopFile(const char* stopFile) {
  if (FILE* stop = plat::OpenStream(stopFile, "w")) std::fclose(stop);
}

bool TakeStopFile(const char* stopFile) {
  if (!plat::FileExists(stopFile)) return false;
  plat::RemoveFile(stopFile);
  return true;
}

}  // namespace arkvale
