// quorvel stopwords list / add WORD... / remove WORD...
#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

#include "app/cli/env.h"
#include "text/text_encoding.h"
#include "wordindex/stop_words.h"

namespace qv::app::cli {

namespace {

using wordindex::StopWordChange;

int list(Env& env) {
  Listing out({"word"});
  for (const std::string& word : wordindex::listStopWords(env.app().ctx())) out.addRow({text(word)});
  print(env.out, out, env.format());
  return kSuccess;
}

// Adds or removes each word; says which were already so and refuses what is
// not a word. Failure when any word failed.
int change(Env& env, const std::vector<std::string>& words, bool add) {
  int status = kSuccess;
  for (const std::string& given : words) {
    const std::string word = cp1252FromUtf8(given);
    const StopWordChange r = add ? wordindex::addStopWord(env.app().ctx(), word)
                                 : wordindex::removeStopWord(env.app().ctx(), word);
    switch (r) {
      case StopWordChange::Done: break;
      case StopWordChange::Unchanged:
        env.ui().message("Stop words",
                         "\"" + word + "\" " + (add ? "is already a stop word." : "is not a stop word."),
                         MessageKind::Information);
        break;
      case StopWordChange::NotAWord:
        env.ui().message("Stop words", "\"" + word + "\" is not a word (one word of at most 40 characters).",
                         MessageKind::Error);
        status = kFailure;
        break;
      case StopWordChange::Failed: status = kFailure; break;
    }
  }
  return status;
}

}  // namespace

void addStopWordsCommands(CLI::App& app, Env& env) {
  CLI::App* stop = addCommand(app, "stopwords", "The words the word index never keeps: list, add, remove",
                              "quorvel stopwords list");
  stop->require_subcommand(1);
  addCommand(*stop, "list", "List the stop words", "quorvel stopwords list --json")
      ->callback([&env] { env.action = list; });
  auto words = std::make_shared<std::vector<std::string>>();
  CLI::App* add = addCommand(*stop, "add", "Make words stop words", "quorvel stopwords add the and of");
  add->add_option("WORD", *words, "The words")->required();
  add->callback([&env, words] { env.action = [words](Env& e) { return change(e, *words, true); }; });
  CLI::App* remove = addCommand(*stop, "remove", "Let words be indexed again", "quorvel stopwords remove of");
  remove->add_option("WORD", *words, "The words")->required();
  remove->callback([&env, words] { env.action = [words](Env& e) { return change(e, *words, false); }; });
}

}  // namespace qv::app::cli
