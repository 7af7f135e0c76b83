#include "wordindex/indexer.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "store/database_list.h"
#include "store/report.h"
#include "store/table_use.h"
#include "wordindex/index_settings.h"
#include "wordindex/index_state.h"
#include "wordindex/index_tables.h"
#include "wordindex/message_texts.h"
#include "wordindex/stop_words.h"

namespace qv::wordindex {

using engine::Err;

const char* modeName(IndexMode mode) {
  switch (mode) {
    case IndexMode::Full: return "full";
    case IndexMode::Partial: return "partial";
    case IndexMode::Recount: return "recount";
  }
  return "";
}

namespace {

// Messages per step, and per transaction of a partial index.
constexpr std::size_t kSliceMessages = kCommitAfterWrites;
// Identifiers or occurrence rows read per step by the walks that only count.
constexpr std::size_t kSliceRows = 100'000;
// A full index keeps this many occurrence rows (8 bytes each) in memory, so
// that the rows of words the 25 % rule turns into stop words are never
// written; a larger database spills them to the table and deletes those
// rows afterwards.
constexpr std::size_t kRowBufferMax = 8'000'000;

constexpr const char* kIndexingText = "Indexing messages";
constexpr const char* kWordListText = "Writing the word list";
constexpr const char* kRecountText = "Recounting indexed words";
constexpr const char* kFindingText = "Finding messages not yet indexed";

bool overShare(std::int64_t count, std::int64_t messages) {
  return count * 100 > messages * kStopWordSharePercent;
}

// Keeps Library::IndexingInProgress raised for its life.
class InProgress {
 public:
  explicit InProgress(Library& lib) : lib_(lib) { ++lib_.IndexingInProgress; }
  ~InProgress() { --lib_.IndexingInProgress; }
  InProgress(const InProgress&) = delete;
  InProgress& operator=(const InProgress&) = delete;

 private:
  Library& lib_;
};

}  // namespace

struct IndexJob::Impl {
  enum class Phase { Start, Collect, Walk, Finish, RecountRows, RecountWords, End };

  Impl(Context& c, IndexMode m, IndexSummary& s, IndexJob& j) : ctx(c), asked(m), sum(s), job(j) {}

  Context& ctx;
  IndexMode asked;
  IndexSummary& sum;
  IndexJob& job;
  Phase phase = Phase::Start;
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();

  IndexSettings settings;
  DelimiterSet set;
  CutOptions options;
  std::uint32_t print = 0;

  std::unique_ptr<TableUse> purUse;
  std::unique_ptr<IndexTable> words, occurrences;
  std::unique_ptr<MessageTexts> texts;
  std::unique_ptr<InProgress> inProgress;
  bool locked = false;

  IndexMarks marks;
  std::unordered_set<std::string> stopWords;
  std::uint32_t nextId = 1;
  std::int64_t range = 0;

  // Full index: every word met so far with its identifier, and the
  // number of messages holding each identifier.
  std::unordered_map<std::string, std::uint32_t> wordIds;
  std::vector<std::int64_t> counts{0};
  std::vector<MasIdx> rowBuffer;
  bool spilled = false;
  // Partial index: the messages still to index, lowest first.
  std::vector<std::uint32_t> pending;
  std::size_t pendingAt = 0;
  // Recount: occurrence rows per word identifier.
  std::unordered_map<std::uint32_t, std::int64_t> rowCounts;

  bool step();
  bool start();
  bool openTables(IndexUse use);
  bool beginFull();
  bool beginPartial();
  bool walkFull();
  bool collect();
  bool walkPartial();
  bool finishFull();
  bool finishPartial();
  bool recountRows();
  bool recountWords();
  bool moveToStopWords(const std::vector<std::pair<std::uint32_t, std::string>>& found);
  bool eraseRowsOf(std::uint32_t wordId);
  bool writeRows(const std::vector<bool>* dropped);
  std::vector<std::uint32_t> wordsOf(const MessageText& m);
  bool fail(engine::File& f);
  bool end(IndexResult result);
  void progress(std::int64_t at, const char* text) { job.report(ctx.lib.ui, at, range, text); }
};

bool IndexJob::Impl::fail(engine::File& f) {
  inform(ctx, "Word Index Error", f.errorText(), MessageKind::Error);
  return end(IndexResult::Failed);
}

bool IndexJob::Impl::end(IndexResult result) {
  sum.result = result;
  if (occurrences && occurrences->file().isOpen()) {
    occurrences->file().flush();
    if (locked) occurrences->file().unlock();
  }
  locked = false;
  texts.reset();
  occurrences.reset();
  words.reset();
  purUse.reset();
  inProgress.reset();
  sum.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  phase = Phase::End;
  return true;
}

bool IndexJob::Impl::openTables(IndexUse use) {
  words = std::make_unique<IndexTable>(ctx, WordList::FileNo, use);
  occurrences = std::make_unique<IndexTable>(ctx, MasIdx::FileNo, use);
  return words->status() == Err::Ok && occurrences->status() == Err::Ok;
}

// Settles the mode, takes the index and begins it.
bool IndexJob::Impl::start() {
  if (ctx.mem.ForumNumber == 0) {
    sum.note = "No database is active.";
    return end(IndexResult::Failed);
  }
  settings = loadIndexSettings(ctx);
  CuttingRules rules = loadCuttingRules(ctx, settings);
  set = rules.set;
  options = rules.options;
  print = fingerprint(set, options);

  sum.mode = asked;
  const IndexUse use = asked == IndexMode::Recount ? IndexUse::Use : IndexUse::Rebuild;
  const bool opened = openTables(use);
  if (!opened && asked == IndexMode::Recount && (words->needsRebuild() || occurrences->needsRebuild())) {
    sum.note = "The index files are damaged or of another layout.";
    sum.recommended = IndexMode::Full;
    return end(IndexResult::Done);
  }
  if (!opened) return end(IndexResult::Failed);
  if (occurrences->file().lock(0) != Err::Ok) {
    sum.note = "The word index of this database is being written by another run.";
    return end(IndexResult::Busy);
  }
  locked = true;
  purUse = std::make_unique<TableUse>(ctx, std::initializer_list<int>{PUR::FileNo});
  if (!ctx.fileOf<PUR>().isOpen()) return end(IndexResult::Failed);
  if (!readMarks(ctx, marks)) return end(IndexResult::Failed);
  inProgress = std::make_unique<InProgress>(ctx.lib);
  texts = std::make_unique<MessageTexts>(ctx);

  if (asked == IndexMode::Recount) {
    range = occurrences->file().records();
    phase = Phase::RecountRows;
    return false;
  }
  if (asked == IndexMode::Partial) {
    const bool damaged = words->needsRebuild() || occurrences->needsRebuild();
    if (damaged || marks.fullRunning || !marks.builtWith) {
      sum.mode = IndexMode::Full;
      // A database without an index simply gets its first one: nothing to say.
      if (damaged) sum.note = "The index files were damaged: a full index was run.";
      if (marks.fullRunning) sum.note = "The last full index did not finish: a full index was run.";
    } else if (*marks.builtWith != print) {
      sum.note = "The delimiter set or the index options have changed since the index was built; "
                 "only a full index can apply them.";
      return end(IndexResult::Refused);
    }
  }
  for (const std::string& w : listStopWords(ctx)) stopWords.insert(w);
  if (!SetWordListNeedsUpdate(ctx, true)) return end(IndexResult::Failed);
  return sum.mode == IndexMode::Full ? beginFull() : beginPartial();
}

bool IndexJob::Impl::beginFull() {
  engine::File& pur = ctx.fileOf<PUR>();
  // The running mark goes in before anything is emptied, and out only when
  // everything is written: a run killed in between is seen by the next one.
  if (pur.empty() != Err::Ok) return fail(pur);
  if (addMark(ctx, print, kFullIndexRunning) != Err::Ok) return fail(pur);
  if (words->file().empty() != Err::Ok) return fail(words->file());
  if (occurrences->file().empty() != Err::Ok) return fail(occurrences->file());
  marks = IndexMarks{};
  range = texts->count();
  occurrences->file().stream();
  pur.stream();
  phase = Phase::Walk;
  return false;
}

bool IndexJob::Impl::beginPartial() {
  engine::File& list = words->file();
  ctx.wor = WordList{};
  Err e = list.set(WordList::by_WordId);
  if (e == Err::Ok) e = list.previous();
  if (e == Err::Ok)
    nextId = static_cast<std::uint32_t>(ctx.wor.WORDID) + 1;
  else if (e != Err::RecordNotAvailable)
    return fail(list);
  range = texts->count();
  phase = Phase::Collect;
  return false;
}

// The distinct word identifiers of a message (full index), new words
// numbered as they are met.
std::vector<std::uint32_t> IndexJob::Impl::wordsOf(const MessageText& m) {
  std::vector<std::uint32_t> ids;
  forEachWord(m, set, options, [&](const WordHit& hit) {
    if (stopWords.contains(hit.word)) return;
    const auto [it, added] = wordIds.try_emplace(hit.word, nextId);
    if (added) {
      ++nextId;
      counts.push_back(0);
    }
    ids.push_back(it->second);
  });
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

bool IndexJob::Impl::walkFull() {
  engine::File& rows = occurrences->file();
  engine::File& pur = ctx.fileOf<PUR>();
  MessageText m;
  const engine::ReadBurst reading = texts->burst();
  for (std::size_t n = 0; n < kSliceMessages; ++n) {
    std::uint32_t id = 0;
    TextRead r = texts->nextId(id);
    if (r == TextRead::End) {
      phase = Phase::Finish;
      break;
    }
    if (r == TextRead::Found) r = texts->read(id, m);
    if (r == TextRead::Failed) return end(IndexResult::Failed);
    if (r == TextRead::End) continue;  // gone since the walk found it
    for (std::uint32_t wordId : wordsOf(m)) {
      ++counts[wordId];
      rowBuffer.push_back(MasIdx{m.id, wordId});
    }
    if (addMark(ctx, m.id, kIndexedMark) != Err::Ok) return fail(pur);
    ++sum.messages;
  }
  if (rowBuffer.size() > kRowBufferMax) {
    if (!writeRows(nullptr)) return true;
    spilled = true;
  }
  // Each slice reaches the files, so the journal stays small.
  rows.flush();
  pur.flush();
  rows.stream();
  pur.stream();
  progress(sum.messages, kIndexingText);
  return false;
}

// Appends the buffered occurrence rows, less those of the dropped words.
bool IndexJob::Impl::writeRows(const std::vector<bool>* dropped) {
  engine::File& rows = occurrences->file();
  // In the table's own order (word, message), so each row goes at the end
  // and the file's pages are filled.
  std::sort(rowBuffer.begin(), rowBuffer.end(), [](const MasIdx& a, const MasIdx& b) {
    return a.WORDID != b.WORDID ? a.WORDID < b.WORDID : a.SYSID < b.SYSID;
  });
  rows.stream();
  for (const MasIdx& row : rowBuffer) {
    if (dropped != nullptr && (*dropped)[row.WORDID]) continue;
    ctx.mas = row;
    if (rows.append() != Err::Ok) return fail(rows);
    ++sum.rows;
  }
  rowBuffer.clear();
  rowBuffer.shrink_to_fit();
  if (rows.flush() != Err::Ok) return fail(rows);
  return true;
}

bool IndexJob::Impl::finishFull() {
  progress(range, kWordListText);
  engine::File& list = words->file();
  engine::File& rows = occurrences->file();
  engine::File& pur = ctx.fileOf<PUR>();
  rows.flush();
  pur.flush();

  std::vector<const std::string*> byId(nextId, nullptr);
  for (const auto& [word, id] : wordIds) byId[id] = &word;
  std::vector<std::pair<std::uint32_t, std::string>> common;
  if (settings.stopWordRule && sum.messages >= kStopWordRuleMinMessages)
    for (std::uint32_t id = 1; id < nextId; ++id)
      if (overShare(counts[id], sum.messages)) common.emplace_back(id, *byId[id]);

  std::vector<bool> dropped(nextId, false);
  for (const auto& entry : common) dropped[entry.first] = true;
  if (!writeRows(&dropped)) return true;
  list.stream();
  std::size_t c = 0;
  for (std::uint32_t id = 1; id < nextId; ++id) {
    if (c < common.size() && common[c].first == id) {
      ++c;
      continue;
    }
    ctx.wor = WordList{};
    ctx.wor.WORDID = static_cast<std::int32_t>(id);
    ctx.wor.THEWORD = *byId[id];
    ctx.wor.WORDCOUNT = static_cast<std::int32_t>(counts[id]);
    if (list.append() != Err::Ok) return fail(list);
    ++sum.words;
  }
  list.flush();
  if (list.build() != Err::Ok || list.build(WordList::by_WordCount) != Err::Ok) return fail(list);
  if (rows.build() != Err::Ok) return fail(rows);
  if (spilled) {
    if (!moveToStopWords(common)) return end(IndexResult::Failed);
    rows.pack();  // the deleted rows leave free pages behind
  } else {
    for (const auto& entry : common)
      if (addStopWord(ctx, entry.second) == StopWordChange::Failed) return end(IndexResult::Failed);
    for (const auto& entry : common) sum.newStopWords.push_back(entry.second);
  }

  if (eraseMarks(ctx, kBuiltWith) != Err::Ok || addMark(ctx, print, kBuiltWith) != Err::Ok ||
      eraseMarks(ctx, kFullIndexRunning) != Err::Ok)
    return fail(pur);
  if (!SetWordListNeedsUpdate(ctx, false)) return end(IndexResult::Failed);
  return end(IndexResult::Done);
}

// Adds the words to the stop words and removes their occurrence rows (and
// their word-list rows, when they have one).
bool IndexJob::Impl::moveToStopWords(const std::vector<std::pair<std::uint32_t, std::string>>& found) {
  for (const auto& [id, word] : found) {
    const StopWordChange added = addStopWord(ctx, word);
    if (added == StopWordChange::Failed) return false;
    Transaction t(ctx, {&words->file(), &occurrences->file()});
    if (!t.started()) return false;
    if (!eraseRowsOf(id)) return false;
    ctx.wor = WordList{};
    ctx.wor.WORDID = static_cast<std::int32_t>(id);
    const Err e = words->file().get(WordList::by_WordId);
    if (e == Err::Ok && words->file().erase() != Err::Ok) return !fail(words->file());
    if (e != Err::Ok && e != Err::RecordNotFound) return !fail(words->file());
    if (!t.commit()) return false;
    sum.newStopWords.push_back(word);
  }
  return true;
}

bool IndexJob::Impl::eraseRowsOf(std::uint32_t wordId) {
  engine::File& rows = occurrences->file();
  ctx.mas = MasIdx{};
  ctx.mas.WORDID = wordId;
  Err e = rows.setFrom(MasIdx::by_WordId);
  while (e == Err::Ok && (e = rows.next()) == Err::Ok && ctx.mas.WORDID == wordId) e = rows.erase();
  if (e == Err::Ok || e == Err::RecordNotAvailable) return true;
  return !fail(rows);
}

// Partial index: the identifiers of the messages without a mark.
bool IndexJob::Impl::collect() {
  for (std::size_t n = 0; n < kSliceRows; ++n) {
    std::uint32_t id = 0;
    const TextRead r = texts->nextId(id);
    if (r == TextRead::Failed) return end(IndexResult::Failed);
    if (r == TextRead::End) {
      std::sort(pending.begin(), pending.end());
      range = static_cast<std::int64_t>(pending.size());
      phase = Phase::Walk;
      return false;
    }
    if (!marks.indexed.contains(id)) pending.push_back(id);
  }
  progress(0, kFindingText);
  return false;
}

// One slice of new messages in one transaction: their occurrence rows,
// their words' counts and their marks, all or nothing.
bool IndexJob::Impl::walkPartial() {
  engine::File& list = words->file();
  engine::File& rows = occurrences->file();
  engine::File& pur = ctx.fileOf<PUR>();
  std::unordered_map<std::string, std::int64_t> sliceCounts;
  std::vector<std::pair<std::uint32_t, std::string>> sliceRows;
  std::vector<std::uint32_t> sliceMessages;
  MessageText m;
  {
    const engine::ReadBurst reading = texts->burst();
    while (pendingAt < pending.size() && sliceMessages.size() < kSliceMessages) {
      const TextRead r = texts->read(pending[pendingAt++], m);
      if (r == TextRead::Failed) return end(IndexResult::Failed);
      if (r == TextRead::End) continue;
      std::vector<std::string> found;
      forEachWord(m, set, options, [&](const WordHit& hit) {
        if (!stopWords.contains(hit.word)) found.push_back(hit.word);
      });
      std::sort(found.begin(), found.end());
      found.erase(std::unique(found.begin(), found.end()), found.end());
      for (std::string& w : found) {
        ++sliceCounts[w];
        sliceRows.emplace_back(m.id, std::move(w));
      }
      sliceMessages.push_back(m.id);
    }
  }

  Transaction t(ctx, {&list, &rows, &pur});
  if (!t.started()) return end(IndexResult::Failed);
  std::unordered_map<std::string, std::uint32_t> ids;
  for (const auto& [word, n] : sliceCounts) {
    ctx.wor = WordList{};
    ctx.wor.THEWORD = word;
    const Err e = list.get(WordList::by_theWord);
    if (e == Err::Ok) {
      ctx.wor.WORDCOUNT += static_cast<std::int32_t>(n);
      if (list.put() != Err::Ok) return fail(list);
    } else if (e == Err::RecordNotFound) {
      ctx.wor = WordList{};
      ctx.wor.WORDID = static_cast<std::int32_t>(nextId++);
      ctx.wor.THEWORD = word;
      ctx.wor.WORDCOUNT = static_cast<std::int32_t>(n);
      if (list.add() != Err::Ok) return fail(list);
    } else {
      return fail(list);
    }
    ids[word] = static_cast<std::uint32_t>(ctx.wor.WORDID);
  }
  for (const auto& [id, word] : sliceRows) {
    ctx.mas.SYSID = id;
    ctx.mas.WORDID = ids[word];
    if (rows.add() != Err::Ok) return fail(rows);
  }
  for (std::uint32_t id : sliceMessages)
    if (addMark(ctx, id, kIndexedMark) != Err::Ok) return fail(pur);
  if (!t.commit()) return end(IndexResult::Failed);
  for (std::uint32_t id : sliceMessages) marks.indexed.insert(id);
  sum.messages += static_cast<std::int64_t>(sliceMessages.size());
  sum.rows += static_cast<std::int64_t>(sliceRows.size());
  progress(static_cast<std::int64_t>(pendingAt), kIndexingText);
  if (pendingAt >= pending.size()) phase = Phase::Finish;
  return false;
}

bool IndexJob::Impl::finishPartial() {
  engine::File& list = words->file();
  const auto messages = static_cast<std::int64_t>(marks.indexed.size());
  std::vector<std::pair<std::uint32_t, std::string>> common;
  if (settings.stopWordRule && sum.messages > 0 && messages >= kStopWordRuleMinMessages) {
    Err e = list.set();
    while (e == Err::Ok && (e = list.next()) == Err::Ok)
      if (overShare(ctx.wor.WORDCOUNT, messages))
        common.emplace_back(static_cast<std::uint32_t>(ctx.wor.WORDID), ctx.wor.THEWORD.str());
    if (e != Err::RecordNotAvailable) return fail(list);
  }
  if (!moveToStopWords(common)) return end(IndexResult::Failed);
  if (list.build(WordList::by_WordCount) != Err::Ok) return fail(list);
  sum.words = list.records();
  if (!SetWordListNeedsUpdate(ctx, false)) return end(IndexResult::Failed);
  return end(IndexResult::Done);
}

bool IndexJob::Impl::recountRows() {
  engine::File& rows = occurrences->file();
  if (sum.rows == 0 && rows.set() != Err::Ok) return fail(rows);
  for (std::size_t n = 0; n < kSliceRows; ++n) {
    const Err e = rows.next();
    if (e == Err::RecordNotAvailable) {
      phase = Phase::RecountWords;
      return false;
    }
    if (e != Err::Ok) return fail(rows);
    ++rowCounts[ctx.mas.WORDID];
    ++sum.rows;
  }
  progress(sum.rows, kRecountText);
  return false;
}

bool IndexJob::Impl::recountWords() {
  engine::File& list = words->file();
  {
    Transaction t(ctx, {&list});
    if (!t.started()) return end(IndexResult::Failed);
    Err e = list.set();
    while (e == Err::Ok && (e = list.next()) == Err::Ok) {
      const auto found = rowCounts.find(static_cast<std::uint32_t>(ctx.wor.WORDID));
      const std::int64_t n = found == rowCounts.end() ? 0 : found->second;
      if (found != rowCounts.end()) rowCounts.erase(found);
      if (n == ctx.wor.WORDCOUNT) continue;
      ++sum.countsCorrected;
      ctx.wor.WORDCOUNT = static_cast<std::int32_t>(n);
      e = n == 0 ? list.erase() : list.put();
    }
    if (e != Err::RecordNotAvailable) return fail(list);
    if (!t.commit()) return end(IndexResult::Failed);
  }
  if (sum.countsCorrected > 0 && list.build(WordList::by_WordCount) != Err::Ok) return fail(list);
  sum.words = list.records();
  // Rows of words the list does not know are left from an unfinished run.
  const bool orphans = !rowCounts.empty();
  std::uint32_t id = 0;
  TextRead r;
  while ((r = texts->nextId(id)) == TextRead::Found)
    if (!marks.indexed.contains(id)) ++sum.notIndexed;
  if (r == TextRead::Failed) return end(IndexResult::Failed);
  if (orphans || !marks.builtBy(print))
    sum.recommended = IndexMode::Full;
  else if (sum.notIndexed > 0)
    sum.recommended = IndexMode::Partial;
  return end(IndexResult::Done);
}

bool IndexJob::Impl::step() {
  if (phase != Phase::End && job.cancelRequested()) {
    if (sum.mode == IndexMode::Full && phase != Phase::Start)
      sum.note = "The full index was stopped before it finished: the next index run makes it anew.";
    return end(IndexResult::Cancelled);
  }
  switch (phase) {
    case Phase::Start: return start();
    case Phase::Collect: return collect();
    case Phase::Walk: return sum.mode == IndexMode::Full ? walkFull() : walkPartial();
    case Phase::Finish: return sum.mode == IndexMode::Full ? finishFull() : finishPartial();
    case Phase::RecountRows: return recountRows();
    case Phase::RecountWords: return recountWords();
    case Phase::End: return true;
  }
  return true;
}

IndexJob::IndexJob(Context& ctx, IndexMode mode) : impl_(std::make_unique<Impl>(ctx, mode, summary_, *this)) {}

IndexJob::~IndexJob() {
  if (!ended_ && impl_->phase != Impl::Phase::End) impl_->end(IndexResult::Cancelled);
}

bool IndexJob::step() {
  if (ended_) return true;
  ended_ = impl_->step();
  return ended_;
}

}  // namespace qv::wordindex
