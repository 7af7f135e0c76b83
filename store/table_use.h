#pragma once
// Scoped table use for jobs and procedures that open a few tables for one
// piece of work: the tables opened through the dispatcher and released
// again, and a transaction over some of them that rolls back unless it was
// committed.

#include <initializer_list>
#include <vector>

#include "store/context.h"
#include "store/dispatcher.h"
#include "store/engine/file.h"
#include "store/report.h"
#include "store/utilities.h"

namespace qv {

// Opens tables through the dispatcher and releases them again.
class TableUse {
 public:
  TableUse(Context& ctx, std::initializer_list<int> fileNos) : ctx_(ctx), fileNos_(fileNos) {
    for (int n : fileNos_) OP_CLOSE(ctx_, kOpOpen, {n});
  }
  ~TableUse() {
    for (auto it = fileNos_.rbegin(); it != fileNos_.rend(); ++it) OP_CLOSE(ctx_, kOpRelease, {*it});
  }
  TableUse(const TableUse&) = delete;
  TableUse& operator=(const TableUse&) = delete;

 private:
  Context& ctx_;
  std::vector<int> fileNos_;
};

// A transaction over some open tables that rolls back unless committed.
class Transaction {
 public:
  Transaction(Context& ctx, std::initializer_list<engine::File*> files) : ctx_(ctx) {
    ctx_.session.logout(5, files);
    started_ = TransactionCheck(ctx_) == kTransactionStarted;
  }
  ~Transaction() {
    if (started_ && ctx_.session.inTransaction()) ctx_.session.rollback();
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  bool started() const { return started_; }
  bool commit() {
    if (ctx_.session.commit() == engine::Err::Ok) {
      started_ = false;
      return true;
    }
    inform(ctx_, "Warning!", "Transaction Frame Error!\r\n" + ctx_.session.errorText(), MessageKind::Warning);
    return false;
  }

 private:
  Context& ctx_;
  bool started_ = false;
};

}  // namespace qv
