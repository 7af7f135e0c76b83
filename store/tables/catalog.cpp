#include <array>
#include <cstdio>

#include "store/tables.h"

namespace qv {

namespace {

template <class T>
const TableDecl& declOf() {
  return T::decl();
}
template <int No>
const TableDecl& foreignOf() {
  return foreignDecl(No);
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
    {HRE::FileNo, Place::CallerName, foreignOf<HRE::FileNo>},
    {DOS::FileNo, Place::CallerName, declOf<DOS>},
    {Mail::FileNo, Place::Database, declOf<Mail>},
    {CCR::FileNo, Place::Database, declOf<CCR>},
    {SaveFile::FileNo, Place::Config, declOf<SaveFile>},
    {CCT::FileNo, Place::Temp, declOf<CCT>},
    {CCO::FileNo, Place::CallerName, foreignOf<CCO::FileNo>},
    {CMA::FileNo, Place::CallerName, foreignOf<CMA::FileNo>},
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
    {OUI::FileNo, Place::CallerName, foreignOf<OUI::FileNo>},
    {TLO::FileNo, Place::Config, declOf<TLO>},
    {TLI::FileNo, Place::Config, declOf<TLI>},
    {Neo::FileNo, Place::Config, declOf<Neo>},
    {DBM::FileNo, Place::CallerName, foreignOf<DBM::FileNo>},
    {DBA::FileNo, Place::CallerName, foreignOf<DBA::FileNo>},
    {DBF::FileNo, Place::CallerName, foreignOf<DBF::FileNo>},
    {DBN::FileNo, Place::CallerName, foreignOf<DBN::FileNo>},
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
