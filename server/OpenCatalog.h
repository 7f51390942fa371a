#pragma once
// Chooses the catalog implementation at start-up.
#include <memory>
#include <string>

#include "server/Catalog.h"

namespace arkvale::server {

// Whether uri names a catalog this server can open ("postgresql://..." or "postgres://...").
bool IsCatalogUri(const std::string& uri);
// PostgreSQL for a catalog URI; without one, the SQLite catalog in dataDirectory (which must
// exist).
std::unique_ptr<Catalog> OpenCatalog(const std::string& uri, const std::string& dataDirectory);

}  // namespace arkvale::server
