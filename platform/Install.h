#pragma once
// The installation step: fills C:\Program Files\Arkvale with gzip.exe and ccrypt.exe (links to
// the host programs) and the built programs that exist in binaryDir (arkvale -> arkvale.exe,
// setwell -> setwell.exe).
#include <string>

namespace plat {

constexpr const char* kInstallDirectory = "C:\\Program Files\\Arkvale";

// true when every tool was found and linked; error names what failed.
bool InstallPrograms(const std::string& binaryDir, std::string& error);

}  // namespace plat
