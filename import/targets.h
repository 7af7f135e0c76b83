#pragma once
// The target database list of one import: every database known or met
// during the run, looked up by name (upper case), with the databases that
// actually received messages marked as touched. Databases first named by a
// source file are created on disk only when a message of theirs reaches the
// merge.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "store/context.h"

namespace qv {

struct TargetDatabase {
  std::uint32_t id = 0;
  std::string name;        // as stored (Windows-1252)
  std::string upperName;   // the lookup key
  std::uint32_t redirectId = 0;  // newsgroups: the database that receives their messages
  std::string redirectName;
  std::uint32_t dirNumber = 0;
  bool isNew = false;          // met in a source file; not in the database list yet
  bool importAllowed = true;
  std::uint8_t type = stored(DatabaseType::Forum);  // a DatabaseType
  bool touched = false;        // received at least one message in this run
};

class TargetList {
 public:
  void clear();
  // Loads every database of the database list; a database whose FOR:REDIRNOW
  // names an existing database that is not redirected itself gets it as its
  // redirect target (chains are not followed).
  void load(Context& ctx);

  // The database of that name (letter case ignored); null when unknown.
  TargetDatabase* find(std::string_view name);
  TargetDatabase* findById(std::uint32_t id);
  // Finds the database of that name, or adds a new entry for it: an
  // identifier from the global counter (or, during an import's conversion,
  // from the run counter `runCounter`, which holds the counter's range for
  // the run), the next free directory number, import allowed, type 3 when a
  // newsgroup is asked for, else 1. Null when no identifier can be had
  // (already reported).
  TargetDatabase* findOrCreate(Context& ctx, std::string_view name, std::uint8_t wantedType,
                               std::uint32_t* runCounter = nullptr);

  void touch(TargetDatabase& db) { db.touched = true; }
  // The touched databases in key order (upper-case name).
  std::vector<TargetDatabase*> touched();
  bool anyTouched() const;
  // The databases first met in this run (not on disk yet), in key order.
  std::vector<TargetDatabase*> met();

  // Writes a database first met in this run to the database list (its
  // record: identifier, name, directory number, type, created today, index
  // kind 1, word index to be updated) and creates its directory. Does
  // nothing for a database already on disk. False when the record cannot be
  // added (reported).
  bool createOnDisk(Context& ctx, TargetDatabase& db);

  std::uint32_t nextDirNumber() const { return nextDir_; }

 private:
  std::map<std::string, TargetDatabase> byName_;
  std::uint32_t nextDir_ = 1;
};

}  // namespace qv
