#pragma once
// The views of the mail browse, a page at a time, never loading the table:
// newest first, by partner, subject, sender and receiver through the mail
// table's keys — partner, sender and receiver limited to one person when one
// is chosen — and the mails of one word, of one topic and of the search
// result set through their rows. Within one person or subject the mails
// stand newest first.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "browse/message_views.h"
#include "browse/person_steps.h"
#include "browse/record_pager.h"
#include "store/context.h"

namespace qv::browse {

// The mail browse's views as its context record keeps them; the word,
// topic and result views keep the numbers of the message browse.
enum class MailView : std::uint8_t {
  Date = 1,
  Partner = 2,
  Subject = 3,
  Sender = 4,
  Receiver = 5,
  KeyWord = 7,
  Topic = 8,
  SearchResult = 9,
};

std::string_view mailViewCaption(MailView view);

class MailPager {
 public:
  // Partner, sender and receiver may be limited to one person; the other
  // views take no person.
  MailPager(Context& ctx, MailView view, std::optional<PersonLimit> limit = std::nullopt);
  // The word, topic and result views: the word's or topic's identifier, or
  // the result set (ViewLimit::ids).
  MailPager(Context& ctx, MailView view, const ViewLimit& rows);

  std::vector<Mail> first(std::size_t count);
  // Up to `count` messages from the end of the view, in the view's order.
  std::vector<Mail> last(std::size_t count);
  std::vector<Mail> after(std::uint32_t mailId, std::size_t count);
  std::vector<Mail> before(std::uint32_t mailId, std::size_t count);
  // Mail `mailId` when it is one of the view's.
  std::optional<Mail> at(std::uint32_t mailId);
  // The newest mail of day `day`; without one, the newest of the nearest
  // older day; when every mail is newer, the oldest. Nothing when empty.
  std::optional<Mail> atDate(std::int32_t day);
  // The typed-ahead locator of the partner, subject, sender and receiver
  // views without a limit: the first mail whose name copy (subject) is at
  // or after `text`, letter case aside; the last mail when none is.
  std::optional<Mail> atName(std::string_view text);

 private:
  Context& ctx_;
  MailView view_;
  std::unique_ptr<RecordPager<Mail>> pager_;
};

}  // namespace qv::browse
