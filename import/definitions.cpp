// Import definitions and their file specifications.
#include "import/definitions.h"

#include <initializer_list>
#include <utility>

#include "import/formats.h"
#include "import/source_selection.h"
#include "store/config.h"
#include "store/dates.h"
#include "store/dispatcher.h"
#include "store/records.h"
#include "store/report.h"
#include "store/table_use.h"
#include "store/utilities.h"

namespace qv {

using engine::Err;

namespace {

void reportRead(Context& ctx, engine::File& file) {
  inform(ctx, std::string(clip(file.name().string())), file.errorText(), MessageKind::Error);
}

void rollbackIfRunning(Context& ctx) {
  if (ctx.session.inTransaction()) ctx.session.rollback();
}

// What a definition keeps in FLI: the chosen files for file selection, the
// masks otherwise.
const std::vector<std::string>& specsOf(const ImportSettings& settings) {
  return settings.method == kSelectFiles ? settings.files : settings.masks;
}

// A path or file mask longer than its field would be stored cut, naming
// another directory or file; such a definition is refused instead.
bool specsFit(Context& ctx, const std::vector<std::string>& specs) {
  for (const std::string& mask : specs) {
    if (mask.size() > kFileSpecWidth) {
      inform(ctx, "Warning!",
             "The file mask\r\n" + mask +
                 "\r\nis longer than 254 characters and cannot be stored in an import definition!",
             MessageKind::Warning);
      return false;
    }
  }
  return true;
}

bool fitsRecords(Context& ctx, const ImportSettings& settings, const std::vector<std::string>& specs) {
  if (settings.path.string().size() > kFileSpecWidth) {
    inform(ctx, "Warning!",
           "The import path is longer than 254 characters\r\nand cannot be stored in an import definition!",
           MessageKind::Warning);
    return false;
  }
  return specsFit(ctx, specs);
}

// Positions of the FLI records of definition `id`; false after a report when
// they cannot be read.
bool specPositions(Context& ctx, std::uint32_t id, std::vector<engine::Position>& out) {
  engine::File& fli = ctx.fileOf<FLI>();
  ctx.fli = FLI{};
  ctx.fli.ID = id;
  Err e = fli.setFrom(FLI::IDKEY);
  while (e == Err::Ok && (e = fli.next()) == Err::Ok && ctx.fli.ID == id) out.push_back(fli.position());
  if (e != Err::Ok && e != Err::RecordNotAvailable) {
    reportRead(ctx, fli);
    return false;
  }
  return true;
}

// Inside the caller's transaction: the FLI records of `id` become `specs`.
// Twins under the key (letter case, trailing blanks) are kept once. False
// after the transaction was rolled back and the failure reported.
bool replaceSpecs(Context& ctx, std::uint32_t id, const std::vector<std::string>& specs) {
  engine::File& fli = ctx.fileOf<FLI>();
  std::vector<engine::Position> old;
  if (!specPositions(ctx, id, old)) {
    rollbackIfRunning(ctx);
    return false;
  }
  for (const engine::Position pos : old) {
    if (fli.getPosition(pos) != Err::Ok) {
      const std::string why = fli.errorText();
      rollbackIfRunning(ctx);
      reportFileListError(ctx, why);
      return false;
    }
    if (UppDat(ctx, fli, kUppDelete, kRollback) != kUppDatDone) return false;
  }
  for (const std::string& mask : specs) {
    if (clip(mask).empty()) continue;
    ctx.fli = FLI{};
    ctx.fli.ID = id;
    ctx.fli.FILESPEC = mask;
    const Err e = fli.add();
    if (e == Err::Ok || e == Err::DuplicateKey) continue;
    const std::string why = fli.errorText();
    rollbackIfRunning(ctx);
    reportFileListError(ctx, why);
    return false;
  }
  return true;
}

// Fills ctx.bat from a definition (identifier already set).
void fillDefinition(Context& ctx, const ImportDefinition& def) {
  settingsToDefinition(def.settings, ctx.bat);
  ctx.bat.DESCRIPTION = def.description;
}

std::uint8_t flag(bool on) { return on ? 1 : 0; }

template <class T>
std::uint8_t byteOf(T value) {
  return value < 0 || value > 255 ? 0 : static_cast<std::uint8_t>(value);
}

}  // namespace

void reportFileListError(Context& ctx, std::string_view engineText) {
  inform(ctx, "Key Build Error!", std::string(engineText) + "\r\n" + "Import file list can not be built!",
         MessageKind::Error);
}

void definitionToSettings(const BAT& bat, ImportSettings& settings) {
  settings.formatNumber = effectiveFormatNumber(bat.FILETYPE);
  settings.format = formatName(settings.formatNumber);
  settings.path = bat.IMPPATH.str();
  settings.method = bat.SELMETHOD;
  settings.mail = bat.MAILMSG != 0;
  settings.forum = bat.FORUMMSG != 0;
  settings.news = bat.NEWSGROUPMSG != 0;
  settings.filter = bat.MSGFILTER;
  settings.reimport = bat.ALLOWREIMP != 0;
  settings.mailTopic = bat.MAILTOPIC;
  settings.forumDatabase = bat.DATABASE;
  settings.mailDatabase = bat.MAILBOX;
  settings.variant = navcisVariant(settings.formatNumber);
}

void settingsToDefinition(const ImportSettings& settings, BAT& bat) {
  bat.TYPE = kImportDefinitionType;
  bat.DATABASE = settings.forumDatabase;
  bat.FILETYPE = byteOf(settings.formatNumber);
  bat.IMPPATH = settings.path.string();
  bat.SELMETHOD = byteOf(settings.method);
  bat.MAILBOX = settings.mailDatabase;
  bat.MAILMSG = flag(settings.mail);
  bat.FORUMMSG = flag(settings.forum);
  bat.NEWSGROUPMSG = flag(settings.news);
  bat.MSGFILTER = byteOf(settings.filter);
  bat.ALLOWREIMP = flag(settings.reimport);
  bat.MAILTOPIC = settings.mailTopic;
}

std::optional<ImportDefinition> loadDefinition(Context& ctx, std::uint32_t id) {
  TableUse use(ctx, {BAT::FileNo, FLI::FileNo});
  engine::File& bat = ctx.fileOf<BAT>();
  ctx.bat = BAT{};
  ctx.bat.ID = id;
  const Err e = bat.get(BAT::IDKEY);
  if (e == Err::RecordNotFound) return std::nullopt;
  if (e != Err::Ok) {
    reportRead(ctx, bat);
    return std::nullopt;
  }
  ImportDefinition def;
  def.id = ctx.bat.ID;
  def.description = ctx.bat.DESCRIPTION.str();
  definitionToSettings(ctx.bat, def.settings);
  std::vector<std::string> specs = fileSpecifications(ctx, id);
  if (def.settings.method == kSelectFiles)
    def.settings.files = std::move(specs);
  else
    def.settings.masks = std::move(specs);
  return def;
}

std::uint32_t saveDefinition(Context& ctx, ImportDefinition& def) {
  const std::vector<std::string>& specs = specsOf(def.settings);
  if (!fitsRecords(ctx, def.settings, specs)) return kNoIdentifier;

  TableUse use(ctx, {BAT::FileNo, FLI::FileNo, Control::FileNo});
  engine::File& bat = ctx.fileOf<BAT>();
  Transaction t(ctx, {&bat, &ctx.fileOf<FLI>(), &ctx.fileOf<Control>()});
  if (!t.started()) return kNoIdentifier;

  std::uint32_t id = def.id;
  if (id == kNoIdentifier) {
    id = NextNr(ctx);
    if (id == kNoIdentifier) return kNoIdentifier;
    ctx.bat = BAT{};
    ctx.bat.ID = id;
    fillDefinition(ctx, def);
    if (UppDat(ctx, bat, kUppAdd, kRollback) != kUppDatDone) return kNoIdentifier;
  } else {
    // Held and re-read inside the transaction: a definition removed in the
    // meantime is reported, not brought back.
    ctx.bat = BAT{};
    ctx.bat.ID = id;
    if (HoldRec(ctx, bat, BAT::IDKEY, true, 0) != kHoldRecHeld) return kNoIdentifier;
    fillDefinition(ctx, def);
    if (UppDat(ctx, bat, kUppPut, kRollback) != kUppDatDone) return kNoIdentifier;
  }
  if (!replaceSpecs(ctx, id, specs)) return kNoIdentifier;
  if (!t.commit()) return kNoIdentifier;
  def.id = id;
  return id;
}

bool removeDefinition(Context& ctx, std::uint32_t id) {
  TableUse use(ctx, {BAT::FileNo, FLI::FileNo, TIM::FileNo});
  engine::File& bat = ctx.fileOf<BAT>();
  engine::File& tim = ctx.fileOf<TIM>();
  Transaction t(ctx, {&bat, &ctx.fileOf<FLI>(), &tim});
  if (!t.started()) return false;

  ctx.bat = BAT{};
  ctx.bat.ID = id;
  const Err e = bat.get(BAT::IDKEY);
  if (e == Err::Ok) {
    if (UppDat(ctx, bat, kUppDelete, kRollback) != kUppDatDone) return false;
  } else if (e != Err::RecordNotFound) {
    reportRead(ctx, bat);
    return false;
  }
  if (!replaceSpecs(ctx, id, {})) return false;

  std::vector<engine::Position> links;
  ctx.tim = TIM{};
  ctx.tim.BATCHID = id;
  Err w = tim.setFrom(TIM::BATCHKEY);
  while (w == Err::Ok && (w = tim.next()) == Err::Ok && ctx.tim.BATCHID == id) links.push_back(tim.position());
  if (w != Err::Ok && w != Err::RecordNotAvailable) {
    reportRead(ctx, tim);
    return false;
  }
  for (const engine::Position pos : links) {
    if (tim.getPosition(pos) != Err::Ok) {
      reportRead(ctx, tim);
      return false;
    }
    if (UppDat(ctx, tim, kUppDelete, kRollback) != kUppDatDone) return false;
  }
  return t.commit();
}

std::vector<DefinitionEntry> listDefinitions(Context& ctx) {
  TableUse use(ctx, {BAT::FileNo});
  engine::File& bat = ctx.fileOf<BAT>();
  std::vector<DefinitionEntry> list;
  ctx.bat = BAT{};
  ctx.bat.TYPE = kImportDefinitionType;
  Err e = bat.setFrom(BAT::TYPEKEY);
  while (e == Err::Ok && (e = bat.next()) == Err::Ok && ctx.bat.TYPE == kImportDefinitionType)
    list.push_back({ctx.bat.ID, ctx.bat.DESCRIPTION.str(), ctx.bat.FILETYPE});
  if (e != Err::Ok && e != Err::RecordNotAvailable) reportRead(ctx, bat);
  return list;
}

std::vector<std::string> fileSpecifications(Context& ctx, std::uint32_t id) {
  TableUse use(ctx, {FLI::FileNo});
  engine::File& fli = ctx.fileOf<FLI>();
  std::vector<std::string> specs;
  ctx.fli = FLI{};
  ctx.fli.ID = id;
  Err e = fli.setFrom(FLI::IDKEY);
  while (e == Err::Ok && (e = fli.next()) == Err::Ok && ctx.fli.ID == id) specs.push_back(ctx.fli.FILESPEC.str());
  if (e != Err::Ok && e != Err::RecordNotAvailable) reportRead(ctx, fli);
  return specs;
}

std::string loadFileSpecifications(Context& ctx, std::uint32_t id, int mode, bool semicolons) {
  const std::vector<std::string> specs = fileSpecifications(ctx, id);
  if (mode == kSelectFiles) return joinFileList(specs, semicolons ? ";" : "##");
  return joinMasks(specs);
}

bool saveFileSpecifications(Context& ctx, std::uint32_t id, const std::vector<std::string>& specs) {
  if (!specsFit(ctx, specs)) return false;
  TableUse use(ctx, {FLI::FileNo});
  Transaction t(ctx, {&ctx.fileOf<FLI>()});
  if (!t.started()) return false;
  if (!replaceSpecs(ctx, id, specs)) return false;
  return t.commit();
}

std::string wizardRunDescription(Context& ctx, std::int32_t date, std::int32_t time) {
  std::string name;
  int datePicture = 0;
  int timePicture = 0;
  SetDate(ctx, name, datePicture);
  SetTime(ctx, name, timePicture);
  return std::string(kWizardRunDescription) + dates::formatDate(date, datePicture) + " " +
         dates::formatTime(time, timePicture);
}

std::optional<SavedWizardRun> saveWizardRun(Context& ctx, const ImportSettings& settings) {
  // Read again when midnight passed between the two, so that date and time
  // belong to the same day.
  std::int32_t date = dates::today();
  std::int32_t time = dates::clockNow();
  if (dates::today() != date) {
    date = dates::today();
    time = dates::clockNow();
  }
  return saveWizardRun(ctx, settings, date, time);
}

std::optional<SavedWizardRun> saveWizardRun(Context& ctx, const ImportSettings& settings, std::int32_t date,
                                            std::int32_t time) {
  ImportDefinition def;
  def.settings = settings;
  def.description = wizardRunDescription(ctx, date, time);
  const std::vector<std::string>& specs = specsOf(settings);
  if (!fitsRecords(ctx, settings, specs)) return std::nullopt;

  TableUse use(ctx, {BAT::FileNo, FLI::FileNo, TAS::FileNo, TIM::FileNo, Control::FileNo});
  engine::File& bat = ctx.fileOf<BAT>();
  engine::File& tas = ctx.fileOf<TAS>();
  engine::File& tim = ctx.fileOf<TIM>();
  Transaction t(ctx, {&bat, &ctx.fileOf<FLI>(), &tas, &tim, &ctx.fileOf<Control>()});
  if (!t.started()) return std::nullopt;

  SavedWizardRun saved;
  saved.definitionId = NextNr(ctx);
  if (saved.definitionId == kNoIdentifier) return std::nullopt;
  saved.taskId = NextNr(ctx);
  if (saved.taskId == kNoIdentifier) return std::nullopt;

  ctx.bat = BAT{};
  ctx.bat.ID = saved.definitionId;
  fillDefinition(ctx, def);
  if (UppDat(ctx, bat, kUppAdd, kRollback) != kUppDatDone) return std::nullopt;
  if (!replaceSpecs(ctx, saved.definitionId, specs)) return std::nullopt;

  // Stored as the definition's description is, so both read the same even
  // when a long date picture makes the text pass the 50 characters.
  ctx.tas = TAS{};
  ctx.tas.ID = saved.taskId;
  ctx.tas.DESCRIPTION = ctx.bat.DESCRIPTION;
  ctx.tas.DODUPELIM = 1;
  ctx.tas.DOPURGE = 1;
  ctx.tas.DOINDEX = 1;
  ctx.tas.ACTIVE = 0;
  if (UppDat(ctx, tas, kUppAdd, kRollback) != kUppDatDone) return std::nullopt;

  ctx.tim = TIM{};
  ctx.tim.TASKID = saved.taskId;
  ctx.tim.BATCHID = saved.definitionId;
  if (UppDat(ctx, tim, kUppAdd, kRollback) != kUppDatDone) return std::nullopt;

  if (!t.commit()) return std::nullopt;
  saved.description = ctx.bat.DESCRIPTION.str();
  return saved;
}

}  // namespace qv
