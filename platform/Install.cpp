#include "platform/Install.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/Drives.h"
#include "platform/HostFiles.h"
#include "platform/Paths.h"

namespace plat {

namespace {

bool IsExecutableFile(const std::string& hostPath) {
  struct stat st {};
  return ::stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::access(hostPath.c_str(), X_OK) == 0;
}

void AddError(std::string& error, const std::string& text) {
  if (!error.empty()) error += "; ";
  error += text;
}

}  // namespace

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  std::string::size_type start = 0;
  while (start <= dirs.size()) {
    std::string::size_type end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    // Only absolute entries: a link into the working directory would break when it changes.
    if (!dir.empty() && dir[0] == '/') {
      std::string candidate = host::Join(dir, program);
      if (IsExecutableFile(candidate)) return candidate;
    }
    start = end + 1;
  }
  return "";
}

namespace {

std::optional<std::string> MakeInstallDirectory(std::string& error) {
  EnsureDriveTable();
  std::optional<std::string> installDir = ToHostPath(kInstallDirectory);
  if (!installDir || !host::MakeDirectories(*installDir)) {
    error = std::string("cannot create ") + kInstallDirectory;
    return std::nullopt;
  }
  return installDir;
}

bool LinkTools(const std::string& installDir, std::vector<std::string>& installed,
               std::string& error) {
  bool ok = true;
  for (const char* tool : {"gzip", "ccrypt"}) {
    std::string windowsName = std::string(kInstallDirectory) + "\\" + tool + ".exe";
    std::string hostProgram = FindOnPath(tool);
    if (hostProgram.empty()) {
      AddError(error, std::string(tool) + " not found on PATH");
      ok = false;
    } else if (!host::ReplaceSymlink(hostProgram,
                                     host::Join(installDir, std::string(tool) + ".exe"))) {
      AddError(error, "cannot link " + windowsName + ": " + std::strerror(errno));
      ok = false;
    } else {
      installed.push_back(windowsName);
    }
  }
  return ok;
}

// Links the tools and places each program of sourceDir in the installation directory, skipping
// one that is not there (not built yet, or the wizard left out). place gives the error text of a
// program it could not put at target (given its source and Windows name), or "" when it worked.
template <typename Place>
bool PlacePrograms(const std::string& sourceDir, std::vector<std::string>& installed,
                   std::string& error, Place place) {
  error.clear();
  std::optional<std::string> installDir = MakeInstallDirectory(error);
  if (!installDir) return false;
  bool ok = LinkTools(*installDir, installed, error);
  for (const char* program : {"arkvale", "setwell"}) {
    const std::string source = host::Join(sourceDir, program);
    if (!IsExecutableFile(source)) continue;
    const std::string windowsName = std::string(kInstallDirectory) + "\\" + program + ".exe";
    const std::string failure =
        place(source, host::Join(*installDir, std::string(program) + ".exe"), windowsName);
    if (failure.empty()) {
      installed.push_back(windowsName);
    } else {
      AddError(error, failure);
      ok = false;
    }
  }
  return ok;
}

}  // namespace

bool InstallTools(std::vector<std::string>& installed, std::string& error) {
  error.clear();
  std::optional<std::string> installDir = MakeInstallDirectory(error);
  return installDir && LinkTools(*installDir, installed, error);
}

bool InstallPrograms(const std::string& binaryDir, std::vector<std::string>& installed,
                     std::string& error) {
  return PlacePrograms(binaryDir, installed, error,
                       [](const std::string& built, const std::string& target,
                          const std::string& windowsName) -> std::string {
                         if (host::CopyAtomically(built, target, 0755)) return "";
                         return "cannot copy " + built + " to " + windowsName + ": " +
                                std::strerror(errno);
                       });
}

std::string InstalledProgramDirectory() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  const std::filesystem::path dir = self.parent_path();
  if (!std::filesystem::exists(dir.parent_path() / "share/applications/arkvale.desktop", ec)) {
    return "";
  }
  return dir.string();
}

bool LinkInstalledPrograms(const std::string& programDir, std::vector<std::string>& installed,
                           std::string& error) {
  return PlacePrograms(programDir, installed, error,
                       [](const std::string& program, const std::string& target,
                          const std::string& windowsName) -> std::string {
                         if (host::ReplaceSymlink(program, target)) return "";
                         return "cannot link " + windowsName + ": " + std::strerror(errno);
                       });
}

bool InstallPrograms(const std::string& binaryDir, std::string& error) {
  std::vector<std::string> installed;
  return InstallPrograms(binaryDir, installed, error);
}

}  // namespace plat
