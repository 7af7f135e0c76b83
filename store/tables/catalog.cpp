#include <array>
#include <cstdio>

#include "store/tables.h"

namespace qv {

namespace {

template <class T>
const TableDecl& declOf() {
  return T::decl();
}

constexpr TableInfo kTables[] = {
    {Codes::FileNo, Place::Database, declOf<Codes>},
    {Forums::FileNo, Place::Config, declOf<Forums>},
    {MsgNmbr::FileNo, Place::Database, declOf<MsgNmbr>},
    {MsgText::FileNo, Place::Database, declOf<MsgText>},
    {Person::FileNo, Place::Database, declOf<Person>},
    {Sections::FileNo, Place::Database, declOf<Sections>},
    {Threads::FileNo, Place::Database, declOf<Threads>},
    {Control::FileNo, Place::Config, declOf<Control>},
    {SIndex::FileNo, Place::Database, declOf<SIndex>},
    {NewHR::FileNo, Place::Temp, declOf<NewHR>},
    {HRE::FileNo, Place::CallerName, declOf<HRE>},
    {DOS::FileNo, Place::CallerName, declOf<DOS>},
    {Mail::FileNo, Place::Database, declOf<Mail>},
    {CCR::FileNo, Place::Database, declOf<CCR>},
    {SaveFile::FileNo, Place::Config, declOf<SaveFile>},
    {CCT::FileNo, Place::Temp, declOf<CCT>},
    {CCO::FileNo, Place::CallerName, declOf<CCO>},
    {CMA::FileNo, Place::CallerName, declOf<CMA>},
    {REF::FileNo, Place::Database, declOf<REF>},
    {PLINK::FileNo, Place::Database, declOf<PLINK>},
    {TempID::FileNo, Place::Temp, declOf<TempID>},
    {MsgString::FileNo, Place::Database, declOf<MsgString>},
    {TAS::FileNo, Place::Config, declOf<TAS>},
    {FLI::FileNo, Place::Config, declOf<FLI>},
    {WordList::FileNo, Place::WordIndex, declOf<WordList>},
    {MasIdx::FileNo, Place::WordIndex, declOf<MasIdx>},
    {STO::FileNo, Place::Config, declOf<STO>},
    {TOC::FileNo, Place::CallerName, declOf<TOC>},
    {Search::FileNo, Place::Temp, declOf<Search>},
    {PUR::FileNo, Place::WordIndex, declOf<PUR>},
    {BAT::FileNo, Place::Config, declOf<BAT>},
    {TIM::FileNo, Place::Config, declOf<TIM>},
    {WD::FileNo, Place::WordIndex, declOf<WD>},
    {OUI::FileNo, Place::CallerName, declOf<OUI>},
    {TLO::FileNo, Place::Config, declOf<TLO>},
    {TLI::FileNo, Place::Config, declOf<TLI>},
    {Neo::FileNo, Place::Config, declOf<Neo>},
    {DBM::FileNo, Place::CallerName, declOf<DBM>},
    {DBA::FileNo, Place::CallerName, declOf<DBA>},
    {DBF::FileNo, Place::CallerName, declOf<DBF>},
    {DBN::FileNo, Place::CallerName, declOf<DBN>},
    {AOL::FileNo, Place::CallerName, declOf<AOL>},
};

}  // namespace

const TableInfo* tableInfo(int fileNo) {
  for (const TableInfo& t : kTables)
    if (t.fileNo == fileNo) return &t;
  return nullptr;
}

std::string tableFileName(int fileNo) {
  char name[16];
  const TableInfo* t = tableInfo(fileNo);
  const bool dat = t != nullptr && t->decl().driver == engine::Driver::Dat;
  std::snprintf(name, sizeof name, "IDX%03d.%s", fileNo, dat ? "DAT" : "TPS");
  return name;
}

}  // namespace qv
