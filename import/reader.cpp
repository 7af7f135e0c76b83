#include "import/reader.h"

#include "import/folder_source.h"

#include "store/charset.h"
#include "store/dispatcher.h"
#include "store/records.h"

namespace qv {

void registerReader(Library& lib, std::string_view format, ReaderFactory factory) {
  lib.registerReaderFactory(std::string(format), std::move(factory));
}

std::unique_ptr<Reader> makeReader(Library& lib, std::string_view format) {
  ReaderFactory f = lib.readerFactory(std::string(format));
  return f ? f() : nullptr;
}

void registerFolderSource(Library& lib, std::string_view format, FolderSourceFactory factory) {
  lib.registerFolderSourceFactory(std::string(format), std::move(factory));
}

std::unique_ptr<FolderSource> makeFolderSource(Library& lib, std::string_view format) {
  FolderSourceFactory f = lib.folderSourceFactory(std::string(format));
  return f ? f() : nullptr;
}

bool ImportRun::wanted(const TargetDatabase& db, std::uint32_t forumMessageNumber) {
  if (!db.importAllowed || settings.filter == kFilterCreateOnly) return false;
  if (databaseType(db.type) != DatabaseType::Forum || settings.reimport || db.isNew) return true;
  // A forum message imported before (and perhaps deleted since) stays out.
  ctx.imp.FORUMNUMBER = db.id;
  ctx.imp.MSGNUMBER = forumMessageNumber;
  return ctx.fileOf<SaveFile>().get(SaveFile::IDKEY) != engine::Err::Ok;
}

bool ImportRun::appendMessage(TargetDatabase& db) {
  ctx.nhr.INTERNAL = db.id;
  const std::uint32_t number = ctx.nhr.MSGNUMBER;
  if (!messages_.insert({db.id, number}).second) {
    skip(progress, "message " + std::to_string(number) + " for " + db.name + " appears twice");
    return true;
  }
  if (ctx.nhrMemo.size() > NewHR::MSGTEXTMax) ctx.nhrMemo.resize(NewHR::MSGTEXTMax);
  if (UppDat(ctx, ctx.fileOf<NewHR>(), kUppAppend, kReport) == kUppDatFailed) {
    failed = true;
    return false;
  }
  targets.touch(db);
  ++converted;
  appendedBytes += sizeof(NewHR) + ctx.nhrMemo.size();
  return true;
}

bool ImportRun::appendCarbonCopy(std::string_view name, std::string_view address, std::string_view recipType) {
  ctx.cct = CCT{};
  ctx.cct.MAILID = ctx.nhr.MSGNUMBER;
  ctx.cct.R_NAME = name;
  ctx.cct.R_CISADRESS = address;
  ctx.cct.RECIPTYPE = recipType;
  // The key compares without regard to case: so does this check.
  const std::uint32_t mail = ctx.cct.MAILID;
  if (!copies_.insert({mail, upper1252(ctx.cct.R_CISADRESS.view()), upper1252(ctx.cct.R_NAME.view())}).second)
    return true;
  if (UppDat(ctx, ctx.fileOf<CCT>(), kUppAppend, kReport) == kUppDatDone) {
    appendedBytes += sizeof(CCT);
    return true;
  }
  failed = true;
  return false;
}

bool ImportRun::appendMessageId(std::string_view idString, std::uint32_t number) {
  if (!ids_.insert(number).second) return true;
  ctx.tid = TempID{};
  ctx.tid.IDSTRING = idString;
  ctx.tid.MSGNUMBER = number;
  if (UppDat(ctx, ctx.fileOf<TempID>(), kUppAppend, kReport) == kUppDatDone) {
    appendedBytes += sizeof(TempID);
    return true;
  }
  failed = true;
  return false;
}

const Forums* ImportRun::mailDatabase() {
  if (!mailDbLoaded_) {
    mailDbLoaded_ = true;
    if (settings.mailDatabase != 0) {
      const Forums keep = ctx.for_;
      OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
      ctx.for_ = Forums{};
      ctx.for_.ID = settings.mailDatabase;
      if (ctx.fileOf<Forums>().get(Forums::ForumKey) == engine::Err::Ok &&
          databaseType(ctx.for_.TYPE) == DatabaseType::Mail)
        mailDb_ = ctx.for_;
      OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
      ctx.for_ = keep;
    }
  }
  return mailDb_ ? &*mailDb_ : nullptr;
}

}  // namespace qv
