#include "server/OpenCatalog.h"

#include "server/PostgresCatalog.h"
#include "server/Server.h"
#include "server/SqliteCatalog.h"

namespace arkvale::server {

bool IsCatalogUri(const std::string& uri) {
  return uri.starts_with("postgresql://") || uri.starts_with("postgres://");
}

std::unique_ptr<Catalog> OpenCatalog(const std::string& uri, const std::string& dataDirectory) {
  if (uri.empty()) return std::make_unique<SqliteCatalog>(CatalogPathIn(dataDirectory));
  if (!IsCatalogUri(uri)) throw CatalogError("not a catalog URI: " + uri);
  return std::make_unique<PostgresCatalog>(uri);
}

}  // namespace arkvale::server
