#include "wordindex/search.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "store/charset.h"
#include "store/report.h"
#include "store/table_use.h"
#include "wordindex/index_health.h"
#include "wordindex/index_tables.h"
#include "wordindex/stop_words.h"

namespace qv::wordindex {

using engine::Err;
using Ids = std::vector<std::uint32_t>;

namespace {

constexpr const char* kTitle = "Word Search";

Ids intersect(const Ids& a, const Ids& b) {
  Ids out;
  std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

Ids unite(const Ids& a, const Ids& b) {
  Ids out;
  std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

// The words of a message in text order.
std::vector<WordHit> wordsInOrder(const MessageText& m, const CuttingRules& rules) {
  std::vector<WordHit> seq;
  forEachWord(m, rules.set, rules.options, [&](const WordHit& w) { seq.push_back(w); });
  return seq;
}

// Whether the phrase's words stand at seq[i], seq[i + 1], ...
bool phraseAt(const std::vector<std::string>& phrase, const std::vector<WordHit>& seq, std::size_t i) {
  if (i + phrase.size() > seq.size()) return false;
  for (std::size_t k = 0; k < phrase.size(); ++k)
    if (!matches(phrase[k], seq[i + k].word)) return false;
  return true;
}

// Newest first; equal dates by ascending number (forum messages carry no time).
bool newerFirst(const FoundHeader& a, const FoundHeader& b) {
  if (a.date != b.date) return a.date > b.date;
  if (a.time != b.time) return a.time > b.time;
  return a.id < b.id;
}

// One search over the open index tables of the active database.
class Run {
 public:
  Run(Context& ctx, const IndexSettings& settings, const CuttingRules* rules, const SearchQuery& q,
      SearchOutcome& out)
      : ctx_(ctx), settings_(settings), rules_(rules), q_(q), out_(out) {}

  void go();

 private:
  bool isStopWord(const std::string& w) const { return w.back() != kPrefixMark && stopWords_.contains(w); }
  // A word of the query as the word list has it: the identifiers of the
  // listed words it stands for (one, or every word a prefix begins) and how
  // many messages hold them as the list counts them.
  struct Listed {
    std::vector<std::uint32_t> wordIds;
    std::int64_t count = 0;
  };
  std::optional<Listed> lookUp(const std::string& word);
  std::optional<Ids> messagesOf(const Listed& word);
  bool readRows(std::uint32_t wordId, Ids& ids);
  bool keepHolders(std::uint32_t wordId, Ids& ids);
  bool rowRead();
  std::optional<Ids> combine(const std::vector<std::string>& words, bool all);
  bool keep(MessageTexts* texts, const FoundHeader& h);
  std::optional<FoundHeader> header(std::uint32_t id);
  const std::string& personText(std::uint32_t id);
  bool failed(engine::File& f) {
    inform(ctx_, kTitle, f.errorText(), MessageKind::Error);
    out_.result = SearchResult::Failed;
    return false;
  }

  Context& ctx_;
  const IndexSettings& settings_;
  const CuttingRules* rules_;  // only for a phrase or a subject term
  const SearchQuery& q_;
  SearchOutcome& out_;
  std::unordered_set<std::string> stopWords_;
  std::unordered_map<std::uint32_t, std::string> persons_;
  bool mail_ = false;
  bool asked_ = false;
  std::unique_ptr<IndexTable> words_, rows_;
};

// Counts one occurrence row read; at the configured number the user is
// asked whether to go on. False when the user stopped the search.
bool Run::rowRead() {
  if (++out_.rowsRead <= settings_.pauseAfterRows || asked_) return true;
  asked_ = true;
  const Button b = ctx_.lib.ui.ask(kTitle,
                                   "The search has read " + std::to_string(out_.rowsRead) +
                                       " index entries so far.\r\nGo on searching?",
                                   kYes | kNo, kYes);
  if (b == kYes) return true;
  out_.result = SearchResult::Stopped;
  return false;
}

bool Run::readRows(std::uint32_t wordId, Ids& ids) {
  engine::File& rows = rows_->file();
  ctx_.mas = MasIdx{};
  ctx_.mas.WORDID = wordId;
  Err e = rows.setFrom(MasIdx::by_WordId);
  while (e == Err::Ok && (e = rows.next()) == Err::Ok && ctx_.mas.WORDID == wordId) {
    ids.push_back(+ctx_.mas.SYSID);
    if (!rowRead()) return false;
  }
  if (e != Err::Ok && e != Err::RecordNotAvailable) return failed(rows);
  return true;
}

// Keeps those of `ids` that hold the word, each looked up by its own row:
// for a few candidates that is far less reading than all the word's rows.
bool Run::keepHolders(std::uint32_t wordId, Ids& ids) {
  engine::File& rows = rows_->file();
  Ids kept;
  for (std::uint32_t id : ids) {
    ctx_.mas = MasIdx{};
    ctx_.mas.SYSID = id;
    ctx_.mas.WORDID = wordId;
    const Err e = rows.get(MasIdx::by_WordId);
    if (e == Err::RecordNotFound) continue;
    if (e != Err::Ok) return failed(rows);
    kept.push_back(id);
    if (!rowRead()) return false;
  }
  ids = std::move(kept);
  return true;
}

std::optional<Run::Listed> Run::lookUp(const std::string& word) {
  engine::File& list = words_->file();
  Listed listed;
  ctx_.wor = WordList{};
  if (word.back() != kPrefixMark) {
    ctx_.wor.THEWORD = word;
    const Err e = list.get(WordList::by_theWord);
    if (e == Err::RecordNotFound) return listed;
    if (e != Err::Ok) {
      failed(list);
      return std::nullopt;
    }
    listed.wordIds.push_back(static_cast<std::uint32_t>(ctx_.wor.WORDID));
    listed.count = ctx_.wor.WORDCOUNT;
    return listed;
  }
  ctx_.wor.THEWORD = word.substr(0, word.size() - 1);
  Err e = list.setFrom(WordList::by_theWord);
  while (e == Err::Ok && (e = list.next()) == Err::Ok && matches(word, ctx_.wor.THEWORD.str())) {
    listed.wordIds.push_back(static_cast<std::uint32_t>(ctx_.wor.WORDID));
    listed.count += ctx_.wor.WORDCOUNT;
  }
  if (e != Err::Ok && e != Err::RecordNotAvailable) {
    failed(list);
    return std::nullopt;
  }
  return listed;
}

// The messages holding a word, or any word beginning with a prefix.
std::optional<Ids> Run::messagesOf(const Listed& word) {
  Ids ids;
  for (std::uint32_t id : word.wordIds)
    if (!readRows(id, ids)) return std::nullopt;
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

// All (or any) of the words; nothing when the search ended. All words are
// taken rarest first: once few messages are left, a further word is checked
// in those messages' own rows instead of reading all of its rows.
std::optional<Ids> Run::combine(const std::vector<std::string>& words, bool all) {
  // Reading a row along the word key costs about a tenth of looking one up.
  constexpr std::int64_t kLookUpCost = 8;
  std::vector<Listed> listed;
  for (const std::string& w : words) {
    if (isStopWord(w)) continue;
    std::optional<Listed> l = lookUp(w);
    if (!l) return std::nullopt;
    listed.push_back(std::move(*l));
  }
  if (all)
    std::stable_sort(listed.begin(), listed.end(), [](const Listed& a, const Listed& b) { return a.count < b.count; });
  std::optional<Ids> result;
  for (const Listed& l : listed) {
    if (all && result && l.wordIds.size() == 1 &&
        static_cast<std::int64_t>(result->size()) * kLookUpCost < l.count) {
      if (!keepHolders(l.wordIds.front(), *result)) return std::nullopt;
    } else {
      std::optional<Ids> ids = messagesOf(l);
      if (!ids) return std::nullopt;
      result = !result ? std::move(*ids) : all ? intersect(*result, *ids) : unite(*result, *ids);
    }
    if (all && result->empty()) break;
  }
  return result ? result : Ids{};
}

std::optional<FoundHeader> Run::header(std::uint32_t id) { return readFoundHeader(ctx_, id, mail_); }

// A person's name and address in upper case, for from: and to:.
const std::string& Run::personText(std::uint32_t id) {
  auto [it, added] = persons_.try_emplace(id);
  if (added) {
    ctx_.per = Person{};
    ctx_.per.PERSONID = id;
    if (id != kNoIdentifier && ctx_.fileOf<Person>().get(Person::PersonKey) == Err::Ok)
      it->second = upper1252(ctx_.per.FIRSTNAME.str() + " " + ctx_.per.LASTNAME.str() + " " + ctx_.per.ADDRESS.str());
  }
  return it->second;
}

bool Run::keep(MessageTexts* texts, const FoundHeader& h) {
  if (q_.dateFrom && h.date < *q_.dateFrom) return false;
  if (q_.dateTo && h.date > *q_.dateTo) return false;
  if (!q_.from.empty() && personText(h.fromId).find(q_.from) == std::string::npos) return false;
  if (!q_.to.empty() && personText(h.toId).find(q_.to) == std::string::npos) return false;
  if (q_.subject.empty() && !q_.phrase) return true;
  MessageText m;
  if (texts == nullptr || texts->read(h.id, m) != TextRead::Found) return false;
  if (!q_.subject.empty()) {
    bool found = false;
    WordCutter cut(m.subject, rules_->set, rules_->options);
    WordHit hit;
    while (!found && cut.next(hit)) found = matches(q_.subject, hit.word);
    if (!found) return false;
  }
  if (q_.phrase) {
    const std::vector<WordHit> seq = wordsInOrder(m, *rules_);
    bool found = false;
    for (std::size_t i = 0; !found && i < seq.size(); ++i) found = phraseAt(q_.andWords, seq, i);
    if (!found) return false;
  }
  return true;
}

void Run::go() {
  mail_ = databaseType(ctx_.mem.ForumType) == DatabaseType::Mail;
  words_ = std::make_unique<IndexTable>(ctx_, WordList::FileNo);
  rows_ = std::make_unique<IndexTable>(ctx_, MasIdx::FileNo);
  // An index without a single word was never built (reading the first row
  // is cheap; counting them is not).
  const bool noWords = words_->status() == Err::Ok && (words_->file().set() != Err::Ok || words_->file().next() != Err::Ok);
  if (words_->status() != Err::Ok || rows_->status() != Err::Ok || noWords) {
    const bool broken = words_->needsRebuild() || rows_->needsRebuild();
    out_.result = broken || words_->status() == Err::Ok ? SearchResult::IndexNotReady : SearchResult::Failed;
    out_.note = healthText(broken ? IndexHealth::NeedsRebuild : IndexHealth::Missing);
    return;
  }
  for (const std::string& w : listStopWords(ctx_)) stopWords_.insert(w);
  bool anyWord = false;
  for (const auto* list : {&q_.andWords, &q_.orWords})
    for (const std::string& w : *list) {
      if (isStopWord(w))
        out_.stopWords.push_back(w);
      else
        anyWord = true;
    }
  if (q_.hasWords() && !anyWord && !q_.hasFields()) {
    out_.result = SearchResult::OnlyStopWords;
    return;
  }

  std::optional<Ids> candidates;
  if (anyWord) {
    const engine::ReadBurst reading{&words_->file(), &rows_->file()};
    std::optional<Ids> all = combine(q_.andWords, true);
    if (!all) return;
    std::optional<Ids> any = combine(q_.orWords, false);
    if (!any) return;
    const bool hasAnd = std::any_of(q_.andWords.begin(), q_.andWords.end(), [&](auto& w) { return !isStopWord(w); });
    const bool hasOr = std::any_of(q_.orWords.begin(), q_.orWords.end(), [&](auto& w) { return !isStopWord(w); });
    candidates = hasAnd && hasOr ? intersect(*all, *any) : hasAnd ? *all : *any;
  }

  // The stored texts are opened only when the search reads them: for a
  // phrase, a subject term, or a search by fields alone (which walks them).
  std::optional<MessageTexts> texts;
  if (q_.phrase || !q_.subject.empty() || !candidates) texts.emplace(ctx_);
  TableUse tables(ctx_, {mail_ ? Mail::FileNo : MsgNmbr::FileNo, Person::FileNo});
  std::vector<FoundHeader>& found = out_.headers;
  // Tables not open (the texts when not needed) are left out of the burst.
  const engine::ReadBurst reading{&ctx_.fileOf<Mail>(), &ctx_.fileOf<MsgNmbr>(), &ctx_.fileOf<MsgText>(),
                                  &ctx_.fileOf<Threads>(), &ctx_.fileOf<Person>()};
  MessageTexts* textsRead = texts ? &*texts : nullptr;
  auto consider = [&](std::uint32_t id) {
    std::optional<FoundHeader> h = header(id);
    if (h && keep(textsRead, *h)) found.push_back(std::move(*h));  // a row of a vanished message is passed over
  };
  if (candidates) {
    for (std::uint32_t id : *candidates) consider(id);
  } else {
    std::uint32_t id = 0;
    TextRead r;
    while ((r = texts->nextId(id)) == TextRead::Found) consider(id);
    if (r == TextRead::Failed) {
      out_.result = SearchResult::Failed;
      found.clear();
      return;
    }
  }
  std::sort(found.begin(), found.end(), newerFirst);
  out_.ids.reserve(found.size());
  for (const FoundHeader& h : found) out_.ids.push_back(h.id);
}

}  // namespace

std::optional<FoundHeader> readFoundHeader(Context& ctx, std::uint32_t id, bool mail) {
  FoundHeader h;
  h.id = id;
  if (mail) {
    ctx.mai = Mail{};
    ctx.mai.MAILID = id;
    if (ctx.fileOf<Mail>().get(Mail::IdKey) != Err::Ok) return std::nullopt;
    h.date = ctx.mai.DATE;
    h.time = ctx.mai.TIME;
    h.fromId = ctx.mai.FROMID;
    h.toId = ctx.mai.TOID;
    h.subject = ctx.mai.SUBJECT.str();
  } else {
    ctx.msg = MsgNmbr{};
    ctx.msg.MSGNUMBER = id;
    if (ctx.fileOf<MsgNmbr>().get(MsgNmbr::IdKey) != Err::Ok) return std::nullopt;
    h.date = ctx.msg.DATE;
    h.fromId = ctx.msg.FROMID;
    h.toId = ctx.msg.TOID;
    h.thread = ctx.msg.THREADNUMBER;
  }
  return h;
}

Searcher::Searcher(Context& ctx) : ctx_(ctx), settings_(loadIndexSettings(ctx)) {}

const CuttingRules& Searcher::rules() const {
  if (!rules_) rules_ = loadCuttingRules(ctx_, settings_);
  return *rules_;
}

SearchOutcome Searcher::run(const SearchQuery& query) {
  SearchOutcome out;
  if (ctx_.mem.ForumNumber == kNoIdentifier) {
    out.result = SearchResult::IndexNotReady;
    out.note = "No database is active.";
    return out;
  }
  const bool cuts = query.phrase || !query.subject.empty();
  Run(ctx_, settings_, cuts ? &rules() : nullptr, query, out).go();
  if (out.result != SearchResult::Found) out.ids.clear();
  return out;
}

std::vector<HitRange> Searcher::hits(const SearchQuery& q, const MessageText& m) const {
  const std::vector<WordHit> seq = wordsInOrder(m, rules());
  std::vector<HitRange> out;
  auto range = [](const WordHit& first, const WordHit& last) {
    return HitRange{static_cast<std::int64_t>(first.start), static_cast<std::int64_t>(last.start + last.length)};
  };
  if (q.phrase && !q.andWords.empty()) {
    const std::size_t n = q.andWords.size();
    for (std::size_t i = 0; i < seq.size(); ++i)
      if (phraseAt(q.andWords, seq, i)) {
        out.push_back(range(seq[i], seq[i + n - 1]));
        i += n - 1;
      }
    return out;
  }
  for (const WordHit& w : seq) {
    auto hit = [&](const std::string& qw) { return matches(qw, w.word); };
    if (std::any_of(q.andWords.begin(), q.andWords.end(), hit) || std::any_of(q.orWords.begin(), q.orWords.end(), hit))
      out.push_back(range(w, w));
  }
  return out;
}

}  // namespace qv::wordindex
