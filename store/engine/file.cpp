#include "store/engine/file.h"

#include <algorithm>
#include <stdexcept>

#include "store/engine/engine.h"
#include "store/engine/session.h"

namespace qv::engine {

File::File(Session& session, const TableDecl& decl, void* record, std::string* memo)
    : binding_{decl, static_cast<unsigned char*>(record), memo, {}, {}, session.engine(), session} {
  if (decl.hasMemo() && memo == nullptr) throw std::logic_error(decl.label + ": memo buffer missing");
  driver_ = session.engine().makeDriver(binding_);
}

File::~File() { close(); }

Err File::note(Status s) {
  status_ = std::move(s);
  binding_.session.note(status_);
  return status_.err;
}

const KeyDecl* File::keyOf(KeyRef k) {
  const TableDecl& d = binding_.decl;
  if (k.fileNo != d.fileNo || k.index < 0 || static_cast<std::size_t>(k.index) >= d.keys.size())
    throw std::logic_error(d.label + ": key of another table");
  return &d.keys[static_cast<std::size_t>(k.index)];
}

Err File::open(OpenMode mode) {
  if (driver_->isOpen()) return note({Err::FileAlreadyOpen, defaultText(Err::FileAlreadyOpen)});
  return note(driver_->open(mode));
}
Err File::create() { return note(driver_->create()); }
Err File::openOrCreate() {
  Err e = open();
  if (e == Err::FileNotFound && create() == Err::Ok) e = open();
  return e;
}
void File::close() {
  if (driver_ && driver_->isOpen()) driver_->close();
}
bool File::isOpen() const { return driver_->isOpen(); }

namespace {
Status notOpen() { return {Err::FileNotOpen, defaultText(Err::FileNotOpen)}; }
}  // namespace

#define QV_REQUIRE_OPEN() \
  if (!driver_->isOpen()) return note(notOpen())

Err File::get(KeyRef key) {
  QV_REQUIRE_OPEN();
  return note(driver_->get(*keyOf(key)));
}
Err File::getPosition(Position pos) {
  QV_REQUIRE_OPEN();
  return note(driver_->getPosition(pos));
}
Err File::set() {
  QV_REQUIRE_OPEN();
  return note(driver_->set(nullptr, false));
}
Err File::set(KeyRef key) {
  QV_REQUIRE_OPEN();
  return note(driver_->set(keyOf(key), false));
}
Err File::setFrom(KeyRef key) {
  QV_REQUIRE_OPEN();
  return note(driver_->set(keyOf(key), true));
}
Err File::setPosition(Position pos) {
  QV_REQUIRE_OPEN();
  return note(driver_->setPosition(nullptr, pos));
}
Err File::setPosition(KeyRef key, Position pos) {
  QV_REQUIRE_OPEN();
  return note(driver_->setPosition(keyOf(key), pos));
}
Err File::next() {
  QV_REQUIRE_OPEN();
  return note(driver_->next());
}
Err File::previous() {
  QV_REQUIRE_OPEN();
  return note(driver_->previous());
}
Err File::add() { return add(binding_.decl.recordSize); }
Err File::add(std::size_t length) {
  QV_REQUIRE_OPEN();
  return note(driver_->add(length));
}
Err File::append() { return append(binding_.decl.recordSize); }
Err File::append(std::size_t length) {
  QV_REQUIRE_OPEN();
  return note(driver_->append(length));
}
Err File::put() {
  QV_REQUIRE_OPEN();
  return note(driver_->put());
}
Err File::erase() {
  QV_REQUIRE_OPEN();
  return note(driver_->erase());
}
void File::hold(int seconds) { driver_->hold(seconds); }
void File::release() { driver_->release(); }
Err File::lock(int seconds) {
  QV_REQUIRE_OPEN();
  return note(driver_->lock(seconds));
}
void File::unlock() { driver_->unlock(); }
Err File::stream() {
  QV_REQUIRE_OPEN();
  return note(driver_->stream());
}
Err File::flush() {
  QV_REQUIRE_OPEN();
  return note(driver_->flush());
}
Err File::beginReading() {
  QV_REQUIRE_OPEN();
  return note(driver_->beginReading());
}
void File::endReading() {
  if (driver_ && driver_->isOpen()) driver_->endReading();
}
std::int64_t File::records() {
  if (!driver_->isOpen()) {
    note(notOpen());
    return -1;
  }
  std::int64_t n = 0;
  return note(driver_->records(n)) == Err::Ok ? n : -1;
}
Err File::empty() {
  QV_REQUIRE_OPEN();
  return note(driver_->empty());
}
Err File::build() {
  QV_REQUIRE_OPEN();
  return note(driver_->build());
}
Err File::build(KeyRef key) {
  QV_REQUIRE_OPEN();
  return note(driver_->buildKey(*keyOf(key)));
}
Err File::pack() {
  QV_REQUIRE_OPEN();
  return note(driver_->pack());
}
Err File::remove() {
  close();
  return note(driver_->remove());
}
Err File::memo(std::string_view column, std::string& text) {
  const TableDecl& d = binding_.decl;
  const bool declared = column == d.memoName ||
                        std::find(d.extraMemos.begin(), d.extraMemos.end(), column) != d.extraMemos.end();
  if (column.empty() || !declared) throw std::logic_error(d.label + ": no memo " + std::string(column));
  text.clear();
  QV_REQUIRE_OPEN();
  return note(driver_->memo(column, text));
}
Err File::setMemo(std::string_view column, std::string text) {
  const TableDecl& d = binding_.decl;
  if (column.empty() || std::find(d.extraMemos.begin(), d.extraMemos.end(), column) == d.extraMemos.end())
    throw std::logic_error(d.label + ": no further memo " + std::string(column));
  QV_REQUIRE_OPEN();
  return note(driver_->setMemo(column, std::move(text)));
}
Position File::position() const { return driver_->position(); }
std::size_t File::bytes() const { return driver_->bytes(); }
std::uint64_t File::storedDataBytes() { return driver_->storedDataBytes(); }

#undef QV_REQUIRE_OPEN

}  // namespace qv::engine
