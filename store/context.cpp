#include "store/context.h"

#include <stdexcept>

namespace qv {

void Library::publish(const MemGroup& mem, const std::filesystem::path& masIdxPath) {
  std::lock_guard lock(mutex_);
  published_ = mem;
  publishedMasIdxPath_ = masIdxPath;
}

MemGroup Library::published(std::filesystem::path* masIdxPath) const {
  std::lock_guard lock(mutex_);
  if (masIdxPath != nullptr) *masIdxPath = publishedMasIdxPath_;
  return published_;
}

void Library::registerProcedure(int code, Procedure p) { procedures_.add(code, std::move(p)); }
Library::Procedure Library::procedure(int code) const { return procedures_.find(code); }

void Library::registerReaderFactory(const std::string& format, ReaderFactory factory) {
  readers_.add(format, std::move(factory));
}
ReaderFactory Library::readerFactory(const std::string& format) const { return readers_.find(format); }

void Library::registerFolderSourceFactory(const std::string& format, FolderSourceFactory factory) {
  folderSources_.add(format, std::move(factory));
}
FolderSourceFactory Library::folderSourceFactory(const std::string& format) const {
  return folderSources_.find(format);
}

Context::Context(Library& library) : lib(library), ui(library.ui), session(library.engine) {
  mem = lib.published(&MasIdxPath);
  auto bind = [this](int no, void* record, std::string* memo = nullptr) {
    files_[static_cast<std::size_t>(no)] =
        std::make_unique<engine::File>(session, tableInfo(no)->decl(), record, memo);
  };
  bind(Codes::FileNo, &cod);
  bind(Forums::FileNo, &for_);
  bind(MsgNmbr::FileNo, &msg);
  bind(MsgText::FileNo, &txt, &txtMemo);
  bind(Person::FileNo, &per);
  bind(Sections::FileNo, &sec);
  bind(Threads::FileNo, &thr);
  bind(Control::FileNo, &ctl);
  bind(SIndex::FileNo, &sin);
  bind(NewHR::FileNo, &nhr, &nhrMemo);
  bind(HRE::FileNo, &hre, &hreMemo);
  bind(DOS::FileNo, &dos);
  bind(Mail::FileNo, &mai);
  bind(CCR::FileNo, &ccr);
  bind(SaveFile::FileNo, &imp);
  bind(CCT::FileNo, &cct);
  bind(CCO::FileNo, &cco, &ccoMemo);
  bind(CMA::FileNo, &cma, &cmaMemo);
  bind(REF::FileNo, &ref);
  bind(PLINK::FileNo, &pli);
  bind(TempID::FileNo, &tid);
  bind(MsgString::FileNo, &mst);
  bind(TAS::FileNo, &tas);
  bind(FLI::FileNo, &fli);
  bind(WordList::FileNo, &wor);
  bind(MasIdx::FileNo, &mas);
  bind(STO::FileNo, &sto);
  bind(TOC::FileNo, &toc);
  bind(Search::FileNo, &sea);
  bind(PUR::FileNo, &pur);
  bind(BAT::FileNo, &bat);
  bind(TIM::FileNo, &tim);
  bind(WD::FileNo, &wd);
  bind(OUI::FileNo, &oui, &ouiMemo);
  bind(TLO::FileNo, &tlo);
  bind(TLI::FileNo, &tli);
  bind(Neo::FileNo, &neo);
  bind(DBM::FileNo, &dbm, &dbmMemo);
  bind(DBA::FileNo, &dba);
  bind(DBF::FileNo, &dbf, &dbfMemo);
  bind(DBN::FileNo, &dbn, &dbnMemo);
  bind(AOL::FileNo, &aol);
}

Context::~Context() {
  // Handles close before the session they belong to.
  if (session.inTransaction()) session.rollback();
  for (auto& f : files_) f.reset();
}

engine::File* Context::findFile(int fileNo) {
  if (fileNo < 0 || fileNo > kHighestFileNo) return nullptr;
  return files_[static_cast<std::size_t>(fileNo)].get();
}

engine::File& Context::file(int fileNo) {
  engine::File* f = findFile(fileNo);
  if (f == nullptr) throw std::logic_error("no table with file number " + std::to_string(fileNo));
  return *f;
}

}  // namespace qv
