#pragma once
// Chooses the catalog implementation at start-up.
#include <memory>
#include <string>

#include "server/Catalog.h"

namespace arkvale::server {

// The SQLite catalog in dataDirectory (which must exist).
std::unique_ptr<Catalog> OpenCatalog(const std::string& dataDirectory);

}  // namespace arkvale::server
