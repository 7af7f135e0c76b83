#include "app/cli/commands/db_common.h"

#include "app/cli/env.h"
#include "store/config.h"
#include "store/dispatcher.h"

namespace qv::app::cli {

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

std::string personText(Context& ctx, std::uint32_t id) {
  if (id == 0) return {};
  ctx.per = Person{};
  ctx.per.PERSONID = id;
  if (ctx.fileOf<Person>().get(Person::PersonKey) != engine::Err::Ok) return "#" + std::to_string(id);
  std::string name = ctx.per.FIRSTNAME.str();
  if (!name.empty()) name += ' ';
  name += ctx.per.LASTNAME.str();
  if (!ctx.per.ADDRESS.blank()) name += " <" + ctx.per.ADDRESS.str() + ">";
  return name;
}

bool useDatabase(Env& env, const char* title, std::uint32_t id) {
  Application& app = env.app();
  if (id != 0 && !app.activate(id)) {
    env.ui().message(title, "There is no usable database with the identifier " + std::to_string(id) + ".",
                     MessageKind::Error);
    return false;
  }
  if (app.ctx().mem.ForumNumber == 0) {
    env.ui().message(title, "No database is active: give --db ID or run db activate ID.", MessageKind::Error);
    return false;
  }
  return true;
}

void setStartDatabase(Context& ctx, std::uint32_t id) {
  std::int32_t value = static_cast<std::int32_t>(id);
  std::string unused;
  Konfig(ctx, kKonfigSetGeneral, kItemStartDatabase, value, 0, unused);
  Konfig(ctx, kKonfigSaveGeneral, 0, value, 0, unused);
}

}  // namespace qv::app::cli
