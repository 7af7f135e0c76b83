#include "export/selection.h"

#include "browse/mail_views.h"
#include "browse/message_views.h"
#include "store/dates.h"
#include "store/table_use.h"

namespace qv::exporting {

namespace {

const std::int32_t kEarliestDay = dates::dayNumber(1965, 1, 1);
const std::int32_t kLatestDay = dates::dayNumber(2099, 1, 1);

bool validDay(std::int32_t day) { return day > kEarliestDay && day < kLatestDay; }

}  // namespace

DateRangeError checkDateRange(const DateRange& range) {
  if (!validDay(range.from)) return DateRangeError::From;
  if (!validDay(range.to)) return DateRangeError::To;
  if (range.to < range.from) return DateRangeError::Negative;
  return DateRangeError::None;
}

std::string_view dateRangeText(DateRangeError error) {
  switch (error) {
    case DateRangeError::From: return "A valid From-date must be entered to apply a date range filter.";
    case DateRangeError::To: return "A valid To-date must be entered to apply a date range filter.";
    case DateRangeError::Negative: return "A negative date range cannot be allowed.";
    case DateRangeError::None: break;
  }
  return {};
}

// The view that walks a selection: the message or the mail browse's pager,
// read as (identifier, date) pairs.
struct SelectionCollector::Pager {
  struct Row {
    std::uint32_t id = 0;
    std::int32_t date = 0;
  };
  std::optional<browse::MessagePager> messages;
  std::optional<browse::MailPager> mails;

  std::vector<Row> page(std::optional<std::uint32_t> after, std::size_t count) {
    std::vector<Row> out;
    if (messages)
      for (const MsgNmbr& m : after ? messages->after(*after, count) : messages->first(count))
        out.push_back({m.MSGNUMBER, m.DATE});
    if (mails)
      for (const Mail& m : after ? mails->after(*after, count) : mails->first(count)) out.push_back({m.MAILID, m.DATE});
    return out;
  }
};

SelectionCollector::SelectionCollector(Context& ctx, SelectionCode code, SelectionStart start,
                                       std::optional<DateRange> range, std::size_t pageSize)
    : ctx_(ctx), range_(range), pageSize_(pageSize), pager_(std::make_unique<Pager>()) {
  const bool mail = databaseType(ctx.mem.ForumType) == DatabaseType::Mail;
  if (mail && code == SelectionCode::Section) {
    result_ = SelectionResult::NotOffered;
    done_ = true;
    return;
  }
  const bool listed = code == SelectionCode::Word || code == SelectionCode::Topic || code == SelectionCode::ResultSet;
  const browse::ViewLimit rows{{}, code == SelectionCode::Word ? start.wordId : start.topicId, start.resultSet};
  if (listed) {
    const auto view = static_cast<std::uint8_t>(code);  // the listed views share the codes' numbers
    if (mail)
      pager_->mails.emplace(ctx, static_cast<browse::MailView>(view), rows);
    else
      pager_->messages.emplace(ctx, static_cast<browse::MessageView>(view), rows);
    return;
  }
  // The whole database needs no message to start from.
  if (code == SelectionCode::All) {
    if (mail)
      pager_->mails.emplace(ctx, browse::MailView::Date);
    else
      pager_->messages.emplace(ctx, browse::MessageView::Date);
    return;
  }
  // The current message gives the limiting values.
  TableUse use(ctx, {mail ? Mail::FileNo : MsgNmbr::FileNo});
  if (mail) {
    ctx.mai = Mail{};
    ctx.mai.MAILID = start.message;
    if (ctx.fileOf<Mail>().get(Mail::IdKey) != engine::Err::Ok) {
      result_ = SelectionResult::NoMessage;
      done_ = true;
      return;
    }
    const Mail m = ctx.mai;
    switch (code) {
      case SelectionCode::Sender:
        pager_->mails.emplace(ctx, browse::MailView::Sender, browse::PersonLimit{m.FROMID, m.FROMALPHA.str()});
        break;
      case SelectionCode::Receiver:
        pager_->mails.emplace(ctx, browse::MailView::Receiver, browse::PersonLimit{m.TOID, m.TOALPHA.str()});
        break;
      case SelectionCode::Thread:
        pager_->mails.emplace(ctx, browse::MailView::Partner, browse::PersonLimit{m.PAIRID, m.PAIRALPHA.str()});
        break;
      default: pager_->mails.emplace(ctx, browse::MailView::SearchResult, browse::ViewLimit{{}, 0, {m.MAILID}});
    }
    return;
  }
  ctx.msg = MsgNmbr{};
  ctx.msg.MSGNUMBER = start.message;
  if (ctx.fileOf<MsgNmbr>().get(MsgNmbr::IdKey) != engine::Err::Ok) {
    result_ = SelectionResult::NoMessage;
    done_ = true;
    return;
  }
  const MsgNmbr m = ctx.msg;
  using browse::MessageView;
  using browse::ViewLimit;
  switch (code) {
    case SelectionCode::Sender:
      pager_->messages.emplace(ctx, MessageView::Sender, ViewLimit{m.FROMALPHA.str(), m.FROMID, {}});
      break;
    case SelectionCode::Receiver:
      pager_->messages.emplace(ctx, MessageView::Receiver, ViewLimit{m.TOALPHA.str(), m.TOID, {}});
      break;
    case SelectionCode::Thread:
      pager_->messages.emplace(ctx, MessageView::Thread, ViewLimit{m.THREADALPHA.str(), m.THREADNUMBER, {}});
      break;
    case SelectionCode::Section:
      pager_->messages.emplace(ctx, MessageView::Section, ViewLimit{{}, m.SECSYSID, {}});
      break;
    default: pager_->messages.emplace(ctx, MessageView::SearchResult, ViewLimit{{}, 0, {m.MSGNUMBER}});
  }
}

SelectionCollector::~SelectionCollector() = default;

bool SelectionCollector::step() {
  if (done_) return true;
  const std::vector<Pager::Row> rows = pager_->page(last_, pageSize_);
  for (const Pager::Row& r : rows)
    if (!range_ || (r.date >= range_->from && r.date <= range_->to)) ids_.push_back(r.id);
  if (rows.size() < pageSize_) {
    done_ = true;
    return true;
  }
  last_ = rows.back().id;
  return false;
}

}  // namespace qv::exporting
