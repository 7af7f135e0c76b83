#include "import/tasks.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#include "store/records.h"
#include "store/report.h"
#include "store/table_use.h"

namespace qv {

using engine::Err;

namespace {

void reportRead(Context& ctx, engine::File& f) {
  inform(ctx, f.name().filename().string(), "The table cannot be read: " + ctx.session.errorText(),
         MessageKind::Warning);
}

// Walks the links of `taskId` in key order, calling `each` with the
// position of every one; false on a read error (reported).
template <class Each>
bool walkLinks(Context& ctx, std::uint32_t taskId, Each each) {
  engine::File& tim = ctx.fileOf<TIM>();
  ctx.tim = TIM{};
  ctx.tim.TASKID = taskId;
  Err e = tim.setFrom(TIM::TASKKEY);
  while (e == Err::Ok && (e = tim.next()) == Err::Ok && ctx.tim.TASKID == taskId) each(tim.position());
  if (e != Err::Ok && e != Err::RecordNotAvailable) {
    reportRead(ctx, tim);
    return false;
  }
  return true;
}

}  // namespace

std::vector<TAS> listTasks(Context& ctx) {
  TableUse use(ctx, {TAS::FileNo});
  engine::File& tas = ctx.fileOf<TAS>();
  std::vector<TAS> list;
  Err e = tas.set();
  while (e == Err::Ok && (e = tas.next()) == Err::Ok) list.push_back(ctx.tas);
  if (e != Err::Ok && e != Err::RecordNotAvailable) reportRead(ctx, tas);
  return list;
}

std::optional<TAS> loadTask(Context& ctx, std::uint32_t id) {
  TableUse use(ctx, {TAS::FileNo});
  ctx.tas = TAS{};
  ctx.tas.ID = id;
  const Err e = ctx.fileOf<TAS>().get(TAS::IDKEY);
  if (e == Err::Ok) return ctx.tas;
  if (e != Err::RecordNotFound) reportRead(ctx, ctx.fileOf<TAS>());
  return std::nullopt;
}

std::uint32_t addTask(Context& ctx, TAS& task) {
  TableUse use(ctx, {TAS::FileNo, Control::FileNo});
  engine::File& tas = ctx.fileOf<TAS>();
  Transaction t(ctx, {&tas, &ctx.fileOf<Control>()});
  if (!t.started()) return kNoIdentifier;
  const std::uint32_t id = NextNr(ctx);
  if (id == kNoIdentifier) return kNoIdentifier;
  task.ID = id;
  ctx.tas = task;
  if (UppDat(ctx, tas, kUppAdd, kRollback) != kUppDatDone) return kNoIdentifier;
  return t.commit() ? id : kNoIdentifier;
}

bool changeTask(Context& ctx, const TAS& task) {
  TableUse use(ctx, {TAS::FileNo});
  engine::File& tas = ctx.fileOf<TAS>();
  Transaction t(ctx, {&tas});
  if (!t.started()) return false;
  ctx.tas = TAS{};
  ctx.tas.ID = task.ID;
  if (HoldRec(ctx, tas, TAS::IDKEY, true, {}) != kHoldRecHeld) return false;
  ctx.tas = task;
  if (UppDat(ctx, tas, kUppPut, kRollback) != kUppDatDone) return false;
  return t.commit();
}

bool removeTask(Context& ctx, std::uint32_t id) {
  TableUse use(ctx, {TAS::FileNo, TIM::FileNo});
  engine::File& tas = ctx.fileOf<TAS>();
  engine::File& tim = ctx.fileOf<TIM>();
  Transaction t(ctx, {&tas, &tim});
  if (!t.started()) return false;
  ctx.tas = TAS{};
  ctx.tas.ID = id;
  const Err e = tas.get(TAS::IDKEY);
  if (e == Err::Ok) {
    if (UppDat(ctx, tas, kUppDelete, kRollback) != kUppDatDone) return false;
  } else if (e != Err::RecordNotFound) {
    reportRead(ctx, tas);
    return false;
  }
  std::vector<engine::Position> links;
  if (!walkLinks(ctx, id, [&](engine::Position p) { links.push_back(p); })) return false;
  for (const engine::Position p : links) {
    if (tim.getPosition(p) != Err::Ok) {
      reportRead(ctx, tim);
      return false;
    }
    if (UppDat(ctx, tim, kUppDelete, kRollback) != kUppDatDone) return false;
  }
  return t.commit();
}

std::vector<TIM> taskLinks(Context& ctx, std::uint32_t taskId) {
  TableUse use(ctx, {TIM::FileNo});
  std::vector<TIM> links;
  walkLinks(ctx, taskId, [&](engine::Position) { links.push_back(ctx.tim); });
  return links;
}

bool linkDefinition(Context& ctx, std::uint32_t taskId, std::uint32_t definitionId) {
  TableUse use(ctx, {TAS::FileNo, BAT::FileNo, TIM::FileNo});
  ctx.tas = TAS{};
  ctx.tas.ID = taskId;
  if (ctx.fileOf<TAS>().get(TAS::IDKEY) != Err::Ok) return false;
  ctx.bat = BAT{};
  ctx.bat.ID = definitionId;
  if (ctx.fileOf<BAT>().get(BAT::IDKEY) != Err::Ok) return false;
  engine::File& tim = ctx.fileOf<TIM>();
  ctx.tim = TIM{};
  ctx.tim.TASKID = taskId;
  ctx.tim.BATCHID = definitionId;
  if (tim.get(TIM::TASKKEY) == Err::Ok) return true;
  Transaction t(ctx, {&tim});
  if (!t.started()) return false;
  ctx.tim = TIM{};
  ctx.tim.TASKID = taskId;
  ctx.tim.BATCHID = definitionId;
  if (UppDat(ctx, tim, kUppAdd, kRollback) != kUppDatDone) return false;
  return t.commit();
}

bool unlinkDefinition(Context& ctx, std::uint32_t taskId, std::uint32_t definitionId) {
  TableUse use(ctx, {TIM::FileNo});
  engine::File& tim = ctx.fileOf<TIM>();
  Transaction t(ctx, {&tim});
  if (!t.started()) return false;
  ctx.tim = TIM{};
  ctx.tim.TASKID = taskId;
  ctx.tim.BATCHID = definitionId;
  const Err e = tim.get(TIM::TASKKEY);
  if (e == Err::RecordNotFound) return true;
  if (e != Err::Ok) {
    reportRead(ctx, tim);
    return false;
  }
  if (UppDat(ctx, tim, kUppDelete, kRollback) != kUppDatDone) return false;
  return t.commit();
}

std::vector<TLO> taskRuns(Context& ctx, std::uint32_t taskId) {
  TableUse use(ctx, {TLO::FileNo});
  engine::File& tlo = ctx.fileOf<TLO>();
  std::vector<TLO> runs;
  ctx.tlo = TLO{};
  ctx.tlo.TASKID = taskId;
  Err e = tlo.setFrom(TLO::BYTASK);
  while (e == Err::Ok && (e = tlo.next()) == Err::Ok && ctx.tlo.TASKID == taskId) runs.push_back(ctx.tlo);
  if (e != Err::Ok && e != Err::RecordNotAvailable) reportRead(ctx, tlo);
  return runs;
}

std::vector<TLI> logItems(Context& ctx, std::uint32_t logId) {
  TableUse use(ctx, {TLI::FileNo});
  engine::File& tli = ctx.fileOf<TLI>();
  std::vector<TLI> items;
  ctx.tli = TLI{};
  ctx.tli.TASKLOGID = logId;
  Err e = tli.setFrom(TLI::IDKEY);
  while (e == Err::Ok && (e = tli.next()) == Err::Ok && ctx.tli.TASKLOGID == logId) items.push_back(ctx.tli);
  if (e != Err::Ok && e != Err::RecordNotAvailable) reportRead(ctx, tli);
  return items;
}

std::uint32_t nextTaskLogId(Context& ctx) {
  TableUse use(ctx, {TLO::FileNo});
  engine::File& tlo = ctx.fileOf<TLO>();
  std::uint32_t highest = 0;
  Err e = tlo.set(TLO::IDKEY);
  while (e == Err::Ok && (e = tlo.next()) == Err::Ok) highest = std::max<std::uint32_t>(highest, +ctx.tlo.TASKLOGID);
  return highest + 1;
}

std::optional<DueTask> findDueTask(Context& ctx, Moment now) {
  for (const TAS& task : listTasks(ctx)) {
    if (task.ACTIVE != 1) continue;
    const DueReason reason = dueReason(task, now);
    if (reason == DueReason::NotDue) continue;
    if (taskLinks(ctx, task.ID).empty()) continue;
    return DueTask{task, reason};
  }
  return std::nullopt;
}

void CleanUp(RunningTask& state, int op, std::uint32_t database) {
  if (op == kCleanUpClear) {
    state.affected.clear();
  } else if (op == kCleanUpAdd && database != 0) {
    for (const std::uint32_t d : state.affected)
      if (d == database) return;
    state.affected.push_back(database);
  }
}

namespace {

template <class Record>
bool copyIn(Record& to, const void* buffer, std::size_t size) {
  if (buffer == nullptr || size != sizeof(Record)) return false;
  std::memcpy(static_cast<void*>(&to), buffer, sizeof(Record));
  return true;
}
template <class Record>
bool copyOut(const Record& from, void* buffer, std::size_t size) {
  if (buffer == nullptr || size != sizeof(Record)) return false;
  std::memcpy(buffer, static_cast<const void*>(&from), sizeof(Record));
  return true;
}

// Sets every link of the task back to "not run" in one transaction.
bool resetLinks(Context& ctx, std::uint32_t taskId) {
  TableUse use(ctx, {TIM::FileNo});
  engine::File& tim = ctx.fileOf<TIM>();
  std::vector<engine::Position> links;
  if (!walkLinks(ctx, taskId, [&](engine::Position p) { links.push_back(p); })) return false;
  Transaction t(ctx, {&tim});
  if (!t.started()) return false;
  for (const engine::Position p : links) {
    if (HoldRec(ctx, tim, TIM::TASKKEY, false, p) != kHoldRecHeld) return false;
    ctx.tim.EVENTTIME = 0;
    ctx.tim.RESULTCODE = kTaskNotRun;
    if (UppDat(ctx, tim, kUppPut, kRollback) != kUppDatDone) return false;
  }
  return t.commit();
}

}  // namespace

bool NextTask(Context& ctx, RunningTask& state, int op, void* buffer, std::size_t size) {
  switch (op) {
    case kTaskRequestNext:
      if (taskMode(ctx.mem.DoTask) == TaskMode::Quitting) return false;
      state.nextRequested = true;
      return true;
    case kTaskClearDefinition:
      state.definition = BAT{};
      state.link = TIM{};
      return true;
    case kTaskWindowOpened: ++ctx.lib.workWindows; return true;
    case kTaskWindowsOpen: return ctx.lib.workWindows.load() > 0;
    case kTaskWindowClosed: {
      int n = ctx.lib.workWindows.load();
      while (n > 0 && !ctx.lib.workWindows.compare_exchange_weak(n, n - 1)) {
      }
      return true;
    }
    case kTaskStart: {
      TAS task{};
      if (!copyIn(task, buffer, size)) return false;
      if (!resetLinks(ctx, task.ID)) return false;
      state = RunningTask{};
      state.task = task;
      state.running = true;
      state.logId = nextTaskLogId(ctx);
      CleanUp(state, kCleanUpClear);
      state.nextRequested = true;
      return true;
    }
    case kTaskGetTask: return copyOut(state.task, buffer, size);
    case kTaskSetDefinition: return copyIn(state.definition, buffer, size);
    case kTaskGetDefinition: return copyOut(state.definition, buffer, size);
    case kTaskSetLink: return copyIn(state.link, buffer, size);
    case kTaskGetLink: return copyOut(state.link, buffer, size);
    default: return false;
  }
}

namespace {
std::filesystem::path stateFile(const std::filesystem::path& home) { return home / "CFG" / "TASKS.STA"; }
}  // namespace

std::optional<Moment> loadPostponement(const std::filesystem::path& home) {
  std::ifstream in(stateFile(home));
  std::string word;
  Moment m;
  if (!(in >> word) || word != "postponed" || !(in >> m.date >> m.time) || m.date <= 0) return std::nullopt;
  return m;
}

bool savePostponement(const std::filesystem::path& home, std::optional<Moment> until) {
  const std::filesystem::path file = stateFile(home);
  std::error_code ec;
  if (!until) {
    std::filesystem::remove(file, ec);
    return !ec;
  }
  // Written beside and renamed over, so a reader sees the old or the new
  // moment, never half of one.
  // The name is the process's own: the daemon and a timer's run may both
  // write at once, and the later rename wins whole.
  const std::filesystem::path tmp = file.string() + "." + std::to_string(::getpid()) + ".new";
  {
    std::ofstream out(tmp, std::ios::trunc);
    out << "postponed " << until->date << ' ' << until->time << '\n';
    out.close();
    if (!out) {
      std::filesystem::remove(tmp, ec);
      return false;
    }
  }
  std::filesystem::rename(tmp, file, ec);
  return !ec;
}

}  // namespace qv
