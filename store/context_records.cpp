#include "store/context_records.h"

namespace qv {

namespace {

template <class Record>
std::uint64_t exchangeOne(ContextMode mode, Record& shared, Record& record, std::uint64_t& changes) {
  if (mode == ContextMode::Store) {
    shared = record;
    ++changes;
  } else {
    record = shared;
  }
  return changes;
}

}  // namespace

std::uint64_t ContextRecords::exchange(ContextMode mode, MessageContext& record) {
  const std::lock_guard lock(mutex_);
  return exchangeOne(mode, message_, record, messageChanges_);
}

std::uint64_t ContextRecords::exchange(ContextMode mode, MailContext& record) {
  const std::lock_guard lock(mutex_);
  return exchangeOne(mode, mail_, record, mailChanges_);
}

std::uint64_t ContextRecords::messageChanges() const {
  const std::lock_guard lock(mutex_);
  return messageChanges_;
}

std::uint64_t ContextRecords::mailChanges() const {
  const std::lock_guard lock(mutex_);
  return mailChanges_;
}

}  // namespace qv
