#include "server/OpenCatalog.h"

#include "server/Server.h"
#include "server/SqliteCatalog.h"

namespace arkvale::server {

std::unique_ptr<Catalog> OpenCatalog(const std::string& dataDirectory) {
  return std::make_unique<SqliteCatalog>(CatalogPathIn(dataDirectory));
}

}  // namespace arkvale::server
