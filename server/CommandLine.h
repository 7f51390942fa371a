#pragma once
// The program's command line: serving, and the account commands that work on the same data
// directory (also while a server runs on it).
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace arkvale::server {

// Exit codes besides 0.
inline constexpr int kExitFailure = 1;     // storage or network trouble
inline constexpr int kExitUsage = 2;       // a malformed command line
inline constexpr int kExitUserExists = 3;  // add-user of a name already taken
inline constexpr int kExitNoSuchUser = 4;  // set-quota or set-password of an unknown name

// args without the program name; in supplies a password given as "-". Serving returns after
// SIGTERM or SIGINT.
int RunCommandLine(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err);

}  // namespace arkvale::server
