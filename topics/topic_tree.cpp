#include "topics/topic_tree.h"

#include "store/table_use.h"
#include "topics/codes.h"

namespace qv::topics {

const std::vector<TopicTree::Line>& TopicTree::show(std::uint32_t message) {
  message_ = message;
  lines_.clear();
  const std::vector<Codes> topics = listCodes(ctx_, CodeType::Topic);
  TableUse use(ctx_, {SIndex::FileNo});
  for (const Codes& t : topics) lines_.push_back({t, isLinked(ctx_, t.ID, message)});
  return lines_;
}

bool TopicTree::follow() {
  const bool mail = databaseType(ctx_.mem.ForumType) == DatabaseType::Mail;
  ContextRecords& shared = ctx_.lib.contexts;
  if ((mail ? shared.mailChanges() : shared.messageChanges()) == seen_) return false;
  std::uint32_t current = 0;
  if (mail) {
    MailContext c;
    seen_ = shared.exchange(ContextMode::Fetch, c);
    current = c.MAILID;
  } else {
    MessageContext c;
    seen_ = shared.exchange(ContextMode::Fetch, c);
    current = c.MSGNUMBER;
  }
  show(current);
  return true;
}

LinkChange TopicTree::toggle(std::size_t line) {
  if (line >= lines_.size() || message_ == kNoIdentifier) return LinkChange::Unchanged;
  Line& l = lines_[line];
  TableUse use(ctx_, {SIndex::FileNo, Codes::FileNo});
  Transaction t(ctx_, {&ctx_.fileOf<SIndex>(), &ctx_.fileOf<Codes>()});
  if (!t.started()) return LinkChange::Failed;
  const LinkChange r = changeTopicLink(ctx_, l.topic, message_, !l.tagged);
  if (r == LinkChange::Failed || !t.commit()) return LinkChange::Failed;
  if (r == LinkChange::Done) l.topic.COUNT = l.tagged ? l.topic.COUNT - 1 : l.topic.COUNT + 1;
  l.tagged = !l.tagged;
  return r;
}

}  // namespace qv::topics
