#pragma once
// Writing the foreign record stores (CISCOMM, NavCIS, OUI tables) with the
// project's own dBase writer: for the sample generator and for tests that
// need a table of their own. The files are dBase III tables with a .DBT.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "store/engine/engine.h"
#include "store/engine/file.h"
#include "store/engine/session.h"
#include "store/tables.h"

namespace qv::tools {

// A new table of record type R (HRE, CCO, CMA, OUI) at `path`, replacing
// one there. Fill `record` and `memo` (the table's main memo) and call add();
// further memos are given with setMemo before the add. Failures throw
// std::runtime_error with the driver's text.
template <class R>
class RecordTable {
 public:
  explicit RecordTable(const std::filesystem::path& path) : file_(session_, R::decl(), &record, &memo) {
    file_.setName(path);
    check(file_.create());
    check(file_.open());
  }

  void setMemo(std::string_view column, std::string text) { check(file_.setMemo(column, std::move(text))); }
  // Appends the record and its memos; the buffers are cleared for the next one.
  void add() {
    check(file_.add());
    record = R{};
    memo.clear();
  }

  R record{};
  std::string memo;

 private:
  void check(engine::Err e) const {
    if (e != engine::Err::Ok) throw std::runtime_error(file_.name().string() + ": " + file_.errorText());
  }

  engine::Engine engine_;
  engine::Session session_{engine_};
  engine::File file_;
};

}  // namespace qv::tools
