#pragma once
// An installation with the real Internet store readers registered, and the
// mails of a database as one line each for comparing.

#include <algorithm>

#include "readers/registry.h"
#include "tests/import/import_fixture.h"
#include "tests/readers/internet_helpers.h"

namespace qv::test {

class InternetImport : public ImportTest {
 protected:
  InternetImport() { registerAllReaders(lib); }  // the real readers replace the test's line reader

  std::string personAddress(std::uint32_t id) {
    ctx->per.PERSONID = id;
    return ctx->fileOf<Person>().get(Person::PersonKey) == engine::Err::Ok ? ctx->per.ADDRESS.str() : "?";
  }

  // The mails of database `id`, one line each, in the order of their times.
  std::vector<std::string> mails(std::uint32_t id) {
    const Forums f = openDatabase(id);
    std::vector<std::string> out;
    ctx->fileOf<Mail>().set(Mail::DateKey);
    while (ctx->fileOf<Mail>().next() == engine::Err::Ok) {
      const Mail m = ctx->mai;
      ctx->txt.MSGNUMBER = m.MAILID;
      const std::string text = ctx->fileOf<MsgText>().get(MsgText::IdKey) == engine::Err::Ok ? ctx->txtMemo : "?";
      out.push_back(m.SUBJECT.str() + "|" + std::to_string(m.DATE) + "|" + std::to_string(m.TIME) + "|" +
                    (m.FROMID == f.PERSONID ? "owner" : personAddress(m.FROMID)) + "|" +
                    (m.TOID == f.PERSONID ? "owner" : personAddress(m.TOID)) + "|" + text);
    }
    std::sort(out.begin(), out.end(),
              [](const std::string& a, const std::string& b) { return a.substr(a.find('|')) < b.substr(b.find('|')); });
    return out;
  }
};

}  // namespace qv::test
