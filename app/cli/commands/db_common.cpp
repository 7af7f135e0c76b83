#include "app/cli/commands/db_common.h"

#include "app/cli/env.h"
#include "store/config.h"
#include "store/dispatcher.h"

namespace qv::app::cli {

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

}  // namespace qv::app::cli
