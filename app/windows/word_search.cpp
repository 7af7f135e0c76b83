#include "app/windows/word_search.h"

#include "store/charset.h"
#include "wordindex/result_set.h"
#include "wordindex/search.h"

namespace qv::app {

namespace {

std::vector<std::string> splitBlanks(const std::string& text) {
  std::vector<std::string> out;
  std::string word;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (!word.empty()) out.push_back(std::move(word));
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (!word.empty()) out.push_back(std::move(word));
  return out;
}

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isFieldTerm(const std::string& term) {
  const std::size_t colon = term.find(':');
  if (colon == std::string::npos) return false;
  const std::string field = lower1252(std::string_view(term).substr(0, colon));
  return field == "from" || field == "to" || field == "subject" || field == "date";
}

}  // namespace

std::vector<std::string> searchTerms(const WordSearchForm& form) {
  std::vector<std::string> terms;
  bool wordBefore = false;
  for (std::string& term : splitBlanks(form.words)) {
    const bool word = !isFieldTerm(term) && term != wordindex::kOrWord;
    // "Any word": an OR between every two words the user did not join himself.
    if (form.anyWord && !form.phrase && word && wordBefore && terms.back() != wordindex::kOrWord)
      terms.emplace_back(wordindex::kOrWord);
    if (word) wordBefore = true;
    terms.push_back(std::move(term));
  }
  const auto field = [&terms](const char* name, const std::string& value) {
    const std::string v = trimmed(value);
    if (!v.empty()) terms.push_back(std::string(name) + ":" + v);
  };
  field("from", form.from);
  field("to", form.to);
  field("subject", form.subject);
  const std::string from = trimmed(form.dateFrom);
  const std::string to = trimmed(form.dateTo);
  if (!from.empty() || !to.empty()) terms.push_back("date:" + from + ".." + to);
  return terms;
}

WordSearchOutcome runWordSearch(Context& ctx, UiPort& ui, const WordSearchForm& form) {
  WordSearchOutcome out;
  if (const std::string why = wordindex::parseQuery(searchTerms(form), form.phrase, out.query); !why.empty()) {
    ui.message(kWordSearchTitle, why, MessageKind::Error);
    return out;
  }
  wordindex::Searcher searcher(ctx);
  wordindex::SearchOutcome found = searcher.run(out.query);
  switch (found.result) {
    case wordindex::SearchResult::Found: break;
    case wordindex::SearchResult::OnlyStopWords:
      ui.message(kWordSearchTitle, "Every word of the search is a stop word: there is nothing to search for.",
                 MessageKind::Error);
      return out;
    case wordindex::SearchResult::IndexNotReady:
      ui.message(kWordSearchTitle, found.note, MessageKind::Error);
      return out;
    case wordindex::SearchResult::Stopped: out.result = WordSearchResult::Stopped; return out;
    case wordindex::SearchResult::Failed: out.result = WordSearchResult::Failed; return out;
  }
  if (!found.stopWords.empty()) {
    std::string words;
    for (const std::string& w : found.stopWords) words += (words.empty() ? "" : " ") + w;
    ui.message(kWordSearchTitle, "Left out as stop words: " + words + ".", MessageKind::Information);
  }
  if (wordindex::storeResultSet(ctx, found.ids) != wordindex::StoreResult::Stored) {
    out.result = WordSearchResult::Failed;
    return out;
  }
  out.ids = std::move(found.ids);
  out.result = WordSearchResult::Found;
  return out;
}

}  // namespace qv::app
