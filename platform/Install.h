#pragma once
// The installation step: fills C:\Program Files\Arkvale with gzip.exe and ccrypt.exe (links to
// the host programs) and the built programs that exist in binaryDir (arkvale -> arkvale.exe,
// setwell -> setwell.exe).
#include <string>
#include <vector>

namespace plat {

constexpr const char* kInstallDirectory = "C:\\Program Files\\Arkvale";

// true when every tool was found and linked; error names what failed.
bool InstallPrograms(const std::string& binaryDir, std::string& error);
// The same; installed receives the Windows path of every file put in place.
bool InstallPrograms(const std::string& binaryDir, std::vector<std::string>& installed,
                     std::string& error);

// Only the links to gzip and ccrypt (what tests of the child tools need, without copying the
// built programs); same result and error as above.
bool InstallTools(std::vector<std::string>& installed, std::string& error);

// The directory of the running program when it was installed as a desktop program (the
// prefix above it holds the program's desktop entry); "" for a program run from a build tree.
std::string InstalledProgramDirectory();

// The first start of an installed program: the drive table and the installation directory with
// gzip.exe and ccrypt.exe (links to the host's tools) and arkvale.exe and setwell.exe (links to
// the installed programs in programDir, which a package upgrade replaces in place). Same result
// and error as InstallPrograms.
bool LinkInstalledPrograms(const std::string& programDir, std::vector<std::string>& installed,
                           std::string& error);

// First executable of that name on $PATH (host path), or "" when there is none.
std::string FindOnPath(const std::string& program);

}  // namespace plat
