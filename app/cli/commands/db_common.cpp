#include "app/cli/commands/db_common.h"

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

}  // namespace qv::app::cli
