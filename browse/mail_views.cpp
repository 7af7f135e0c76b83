#include "browse/mail_views.h"

#include <limits>

#include "store/charset.h"

namespace qv::browse {

std::string_view mailViewCaption(MailView view) {
  switch (view) {
    case MailView::Date: return " Find Date ";
    case MailView::Partner: return " Filter Partner ";
    case MailView::Subject: return " Find Subject ";
    case MailView::Sender: return " Filter Sender ";
    case MailView::Receiver: return " Filter Receiver ";
    case MailView::KeyWord: return " Filter Key Word ";
    case MailView::Topic: return " Filter Topic ";
    case MailView::SearchResult: return "";
  }
  return "";
}

namespace {

// Dates, times and identifiers stand newest (highest) first in every key.
constexpr std::uint32_t kFirstOfDescending = std::numeric_limits<std::uint32_t>::max();
constexpr std::int32_t kLatest = std::numeric_limits<std::int32_t>::max();

bool sameText(std::string_view a, std::string_view b) { return compareKeyText(a, b) == 0; }

bool samePartner(const Mail& m, const Mail& l) {
  return m.PAIRID == l.PAIRID && sameText(m.PAIRALPHA.view(), l.PAIRALPHA.view());
}
bool sameSender(const Mail& m, const Mail& l) {
  return m.FROMID == l.FROMID && sameText(m.FROMALPHA.view(), l.FROMALPHA.view());
}
bool sameReceiver(const Mail& m, const Mail& l) {
  return m.TOID == l.TOID && sameText(m.TOALPHA.view(), l.TOALPHA.view());
}

// The seed that comes before every mail of its person or subject.
Mail newestSeed() {
  Mail m{};
  m.DATE = kLatest;
  m.TIME = kLatest;
  m.MAILID = kFirstOfDescending;
  return m;
}

KeyedView<Mail> keyedView(MailView view, const std::optional<PersonLimit>& limit) {
  KeyedView<Mail> v{Mail::DateKey};
  switch (view) {
    case MailView::Partner: v.key = Mail::PairKey; break;
    case MailView::Subject: v.key = Mail::SubjectKey; break;
    case MailView::Sender: v.key = Mail::FromKey; break;
    case MailView::Receiver: v.key = Mail::ToKey; break;
    default: break;
  }
  if (!limit) return v;
  v.limit = newestSeed();
  Mail& l = v.limit;
  switch (view) {
    case MailView::Partner:
      v.holds = samePartner;
      l.PAIRALPHA = limit->copy;
      l.PAIRID = limit->id;
      break;
    case MailView::Sender:
      v.holds = sameSender;
      l.FROMALPHA = limit->copy;
      l.FROMID = limit->id;
      break;
    case MailView::Receiver:
      v.holds = sameReceiver;
      l.TOALPHA = limit->copy;
      l.TOID = limit->id;
      break;
    default: v.limit = Mail{}; break;
  }
  return v;
}

RowList rowListOf(MailView view) {
  switch (view) {
    case MailView::KeyWord: return RowList::Word;
    case MailView::Topic: return RowList::Topic;
    default: return RowList::ResultSet;
  }
}

bool listed(MailView view) {
  return view == MailView::KeyWord || view == MailView::Topic || view == MailView::SearchResult;
}

}  // namespace

MailPager::MailPager(Context& ctx, MailView view, std::optional<PersonLimit> limit) : ctx_(ctx), view_(view) {
  if (listed(view))
    pager_ = listedPager<Mail>(ctx, ListedView{rowListOf(view), kNoIdentifier, {}});  // nothing to show
  else
    pager_ = keyedPager<Mail>(ctx, keyedView(view, limit));
}

MailPager::MailPager(Context& ctx, MailView view, const ViewLimit& rows) : ctx_(ctx), view_(view) {
  if (listed(view))
    pager_ = listedPager<Mail>(ctx, ListedView{rowListOf(view), rows.id, rows.ids});
  else
    pager_ = keyedPager<Mail>(ctx, keyedView(view, rows.id == kNoIdentifier ? std::nullopt
                                                                            : std::optional(PersonLimit{rows.id, rows.alpha})));
}

std::vector<Mail> MailPager::first(std::size_t count) { return pager_->first(count); }

std::vector<Mail> MailPager::last(std::size_t count) { return pager_->last(count); }

std::vector<Mail> MailPager::after(std::uint32_t mailId, std::size_t count) { return pager_->after(mailId, count); }

std::vector<Mail> MailPager::before(std::uint32_t mailId, std::size_t count) { return pager_->before(mailId, count); }

std::optional<Mail> MailPager::at(std::uint32_t mailId) { return pager_->at(mailId); }

std::optional<Mail> MailPager::atDate(std::int32_t day) {
  Mail seed = newestSeed();
  seed.DATE = day;
  return keyedPager<Mail>(ctx_, keyedView(MailView::Date, std::nullopt))->locate(seed);
}

std::optional<Mail> MailPager::atName(std::string_view text) {
  if (listed(view_) || view_ == MailView::Date) return std::nullopt;
  Mail seed = newestSeed();
  seed.PAIRALPHA = text;
  seed.SUBJECT = text;
  seed.FROMALPHA = text;
  seed.TOALPHA = text;
  return keyedPager<Mail>(ctx_, keyedView(view_, std::nullopt))->locate(seed);
}

}  // namespace qv::browse
