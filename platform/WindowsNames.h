#pragma once
// Host names may hold characters no Windows name can: < > : " \ | ? * and control characters.
// On the Windows side each of them becomes the private-use character U+F000 + its code (':' is
// U+F03A, UTF-8 encoded), so every host file keeps exactly one Windows name and the wire's
// '?'-separated texts stay unambiguous.
#include <string>

namespace plat {

// The Windows form of one host name.
std::string WindowsNameOf(const std::string& hostName);

// The host characters back, in a name or a whole path; also what views show to the user.
std::string HostNameOf(const std::string& windowsText);

// False when the host name already holds one of those private-use characters, so that its
// Windows form would turn back into another name.
bool CarriesAsWindowsName(const std::string& hostName);

}  // namespace plat
