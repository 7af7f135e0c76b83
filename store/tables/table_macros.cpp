#include "store/tables/table_macros.h"

namespace qv {

TableDecl makeDecl(const char* label, const char* prefix, int fileNo, engine::Driver driver, std::size_t size) {
  TableDecl t;
  t.label = label;
  t.prefix = prefix;
  t.fileNo = fileNo;
  t.driver = driver;
  t.recordSize = size;
  return t;
}

}  // namespace qv
