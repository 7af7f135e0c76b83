#include "store/engine/session.h"

#include "store/engine/engine.h"
#include "store/engine/sqlite/hub.h"

namespace qv::engine {

Session::Session(Engine& engine) : engine_(engine), hubs_(std::make_unique<sql::HubManager>(*this)) {}

Session::~Session() = default;

Err Session::logout(int seconds, std::initializer_list<File*> files) {
  return logout(seconds, std::vector<File*>(files));
}
Err Session::logout(int seconds, const std::vector<File*>& files) {
  const int ms = seconds * 1000;
  return noteErr(hubs_->logout(ms, ms, files));
}
Err Session::logoutWithin(std::chrono::milliseconds wait, std::initializer_list<File*> files) {
  return noteErr(hubs_->logout(static_cast<int>(wait.count()), engine_.tuning().busyMs, std::vector<File*>(files)));
}
Err Session::commit() { return noteErr(hubs_->commit()); }
Err Session::rollback() { return noteErr(hubs_->rollback()); }
bool Session::inTransaction() const { return hubs_->active(); }

}  // namespace qv::engine
