#include "app/windows/databases.h"

#include "store/config.h"
#include "store/dispatcher.h"
#include "store/report.h"

namespace qv::app {

std::vector<Forums> readDatabaseList(Context& ctx) {
  std::vector<Forums> list;
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  engine::File& f = ctx.fileOf<Forums>();
  f.set(Forums::AlphaKey);
  while (f.next() == engine::Err::Ok) list.push_back(ctx.for_);
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  return list;
}

std::optional<Forums> findDatabase(Context& ctx, std::uint32_t id) {
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  ctx.for_ = Forums{};
  ctx.for_.ID = id;
  const bool found = ctx.fileOf<Forums>().get(Forums::ForumKey) == engine::Err::Ok;
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  if (!found) return std::nullopt;
  return ctx.for_;
}

const char* typeName(DatabaseType type) {
  switch (type) {
    case DatabaseType::Forum: return "forum";
    case DatabaseType::Mail: return "mail";
    case DatabaseType::Newsgroup: return "newsgroup";
  }
  return "unknown";
}

const char* statusName(Status status) {
  switch (status) {
    case Status::Keep: return "Keep";
    case Status::Delete: return "Delete";
    case Status::Normal: break;
  }
  return "Normal";
}

std::optional<Forums> addMailDatabase(Context& ctx, const MailDatabaseForm& form) {
  std::uint32_t dir = ReserveDirNumber(ctx);
  if (dir == 0) return std::nullopt;
  if (!AddMailDatabase(ctx, form, dir)) {
    ReleaseDirNumber(ctx, dir);
    return std::nullopt;
  }
  const Forums added = ctx.for_;
  if (generalSetting(ctx, kItemMailDatabase) == 0) {
    std::int32_t id = static_cast<std::int32_t>(added.ID);
    std::string unused;
    Konfig(ctx, kKonfigSetGeneral, kItemMailDatabase, id, 0, unused);
    Konfig(ctx, kKonfigSaveGeneral, 0, id, 0, unused);
  }
  return added;
}

bool removeDatabaseConfirmed(Context& ctx, const Forums& database) {
  const Button answer =
      ask(ctx, " Database marked for deletion!",
          "Database \"" + database.DESCRIPTION.str() +
              "\": Do you really want to delete all messages in this database? If you do, the entire database "
              "directory will be removed.",
          kOk | kCancel, kCancel);
  if (answer != kOk || !RemoveDatabase(ctx, database.ID)) return false;
  if (generalSetting(ctx, kItemStartDatabase) == static_cast<std::int32_t>(database.ID)) setStartDatabase(ctx, 0);
  return true;
}

void setStartDatabase(Context& ctx, std::uint32_t id) {
  std::int32_t value = static_cast<std::int32_t>(id);
  std::string unused;
  Konfig(ctx, kKonfigSetGeneral, kItemStartDatabase, value, 0, unused);
  Konfig(ctx, kKonfigSaveGeneral, 0, value, 0, unused);
}

}  // namespace qv::app
