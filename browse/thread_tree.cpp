#include "browse/thread_tree.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "store/config.h"
#include "store/dates.h"
#include "store/report.h"
#include "store/table_use.h"

namespace qv::browse {

namespace {

using engine::Err;

constexpr const char* kTitle = "Thread Tree";

void reportReadError(Context& ctx, const char* table, Err e) {
  inform(ctx, kTitle, std::string("The ") + table + " table could not be read: " + engine::defaultText(e),
         MessageKind::Error);
}

TreeItemFormat itemFormat(std::int32_t setting) {
  if (setting < 1 || setting > 5) return TreeItemFormat::SenderNumber;
  return static_cast<TreeItemFormat>(setting);
}

std::string lineText(const ThreadMessage& m, TreeItemFormat format, int datePicture) {
  std::string text(clip(m.senderName));
  const std::string number = std::to_string(m.number);
  const std::string date = dates::formatDate(m.date, datePicture);
  switch (format) {
    case TreeItemFormat::SenderName: break;
    case TreeItemFormat::SenderNumber: text += " " + number; break;
    case TreeItemFormat::SenderDate: text += " " + date; break;
    case TreeItemFormat::SenderNumberDate: text += " " + number + " " + date; break;
    case TreeItemFormat::SenderDateNumber: text += " " + date + " " + number; break;
  }
  if (text.size() > kTreeLineSize) text.resize(kTreeLineSize);
  return text;
}

}  // namespace

TreeUpdate ThreadTree::showThreadOf(std::uint32_t number) {
  TableUse tables(ctx_, {MsgNmbr::FileNo, Threads::FileNo, Person::FileNo});
  ctx_.msg = MsgNmbr{};
  ctx_.msg.MSGNUMBER = number;
  const Err found = ctx_.fileOf<MsgNmbr>().get(MsgNmbr::IdKey);
  if (found == Err::RecordNotFound) return TreeUpdate::NoSuchMessage;
  if (found != Err::Ok) {
    reportReadError(ctx_, "MsgNmbr", found);
    return TreeUpdate::ReadFailed;
  }
  const std::uint32_t thread = ctx_.msg.THREADNUMBER;
  if (thread_ == thread) return TreeUpdate::SameThread;

  std::vector<ThreadMessage> messages;
  if (!readThread(thread, messages)) return TreeUpdate::ReadFailed;
  const ThreadLayout layout = layOutThread(messages);

  std::string dateName;
  int datePicture = dates::kDateSystem;
  SetDate(ctx_, dateName, datePicture);
  const TreeItemFormat format = itemFormat(generalSetting(ctx_, kItemTreeItemFormat));

  thread_ = thread;
  deepest_ = layout.deepest;
  lines_.assign(1, TreeLine{});
  lines_.reserve(layout.nodes.size() + 1);
  for (const TreeNode& node : layout.nodes) {
    const ThreadMessage& m = messages[node.message];
    TreeLine line;
    line.text = lineText(m, format, datePicture);
    line.level = node.depth - 1;
    line.icon = line.level == 0 ? TreeIcon::File : TreeIcon::Folder;
    line.message = m.number;
    lines_.push_back(std::move(line));
  }
  return TreeUpdate::Rebuilt;
}

bool ThreadTree::readThread(std::uint32_t thread, std::vector<ThreadMessage>& messages) {
  // One read transaction per table for the whole thread: a long thread
  // reads a person for nearly every message, and a read transaction of its
  // own for each (a lock, a look for a journal) cost more than the reads.
  const engine::ReadBurst reading{&ctx_.fileOf<Threads>(), &ctx_.fileOf<MsgNmbr>(), &ctx_.fileOf<Person>()};
  ctx_.thr = Threads{};
  ctx_.thr.THREADNUMBER = thread;
  const Err t = ctx_.fileOf<Threads>().get(Threads::ThreadKey);
  if (t != Err::Ok && t != Err::RecordNotFound) {
    reportReadError(ctx_, "Threads", t);
    return false;
  }
  const FixedString<10> alpha = t == Err::Ok ? ctx_.thr.ALPHA : FixedString<10>{};

  // The thread key runs by alpha, thread number, then ascending message
  // number: the walk gives the messages already in number order.
  engine::File& f = ctx_.fileOf<MsgNmbr>();
  ctx_.msg = MsgNmbr{};
  ctx_.msg.THREADALPHA = alpha;
  ctx_.msg.THREADNUMBER = thread;
  ctx_.msg.MSGNUMBER = 0;
  Err e = f.setFrom(MsgNmbr::Threadkey);
  std::vector<std::pair<ThreadMessage, std::uint32_t>> read;  // with the sender's person
  while (e == Err::Ok && (e = f.next()) == Err::Ok) {
    if (!(ctx_.msg.THREADALPHA == alpha) || ctx_.msg.THREADNUMBER != thread) break;
    const MsgNmbr& m = ctx_.msg;
    read.push_back({ThreadMessage{m.MSGNUMBER, m.REFNUMBER == m.MSGNUMBER ? 0 : m.REFNUMBER, {}, m.DATE}, m.FROMID});
  }
  if (e != Err::Ok && e != Err::RecordNotAvailable) {
    reportReadError(ctx_, "MsgNmbr", e);
    return false;
  }

  // A person often writes several messages of a thread: read each once.
  std::unordered_map<std::uint32_t, std::string> names;
  messages.clear();
  messages.reserve(read.size());
  for (auto& [message, personId] : read) {
    auto [it, added] = names.try_emplace(personId);
    if (added) it->second = senderName(personId);
    message.senderName = it->second;
    messages.push_back(std::move(message));
  }
  return true;
}

// "First Last" from the Person record, each part without trailing blanks,
// cut to kSenderNameSize; " " when the person is missing.
std::string ThreadTree::senderName(std::uint32_t personId) {
  ctx_.per = Person{};
  ctx_.per.PERSONID = personId;
  if (personId == kNoIdentifier || ctx_.fileOf<Person>().get(Person::PersonKey) != Err::Ok) return " ";
  std::string name = ctx_.per.FIRSTNAME.str() + " " + ctx_.per.LASTNAME.str();
  if (name.size() > kSenderNameSize) name.resize(kSenderNameSize);
  return name;
}

std::optional<std::size_t> ThreadTree::lineOf(std::uint32_t number) const {
  if (number == 0) return std::nullopt;
  const auto it = std::find_if(lines_.begin(), lines_.end(), [number](const TreeLine& l) { return l.message == number; });
  if (it == lines_.end()) return std::nullopt;
  return static_cast<std::size_t>(it - lines_.begin());
}

}  // namespace qv::browse
