#pragma once
// The selection of a batch operation (and of the message writer): the
// current message alone, or every message related to it — same sender,
// receiver, thread (mail: partner), section, all messages, the messages of
// the current word or topic, or the search result set — each walked in its
// view's key order until the limiting value changes, and kept to a date
// range when one is given. Rows of a word, topic or result set whose
// message no longer exists are passed over.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "store/context.h"

namespace qv::exporting {

// The selection codes the writer and the batch operations share.
enum class SelectionCode : std::uint8_t {
  Plain = 0,     // the current message in the plain layout
  Current = 1,   // the current message alone
  Sender = 2,
  Receiver = 3,
  Thread = 4,    // mail: the partner
  Section = 5,   // not for mail
  All = 6,
  Word = 7,
  Topic = 8,
  ResultSet = 9,
};

// Where the selection starts: the current message (mail) gives the limiting
// values of codes 1 to 5; the word, topic and result set those of 7 to 9.
struct SelectionStart {
  std::uint32_t message = 0;
  std::uint32_t wordId = 0;
  std::uint32_t topicId = 0;
  std::vector<std::uint32_t> resultSet{};
};

struct DateRange {
  std::int32_t from = 0;  // day numbers, both included
  std::int32_t to = 0;
};

inline constexpr std::string_view kDateRangeTitle = "Date range filter error";
enum class DateRangeError { None, From, To, Negative };
// A from- and to-date must lie after 1 January 1965 and before 1 January
// 2099, and the to-date not before the from-date; the field in error.
DateRangeError checkDateRange(const DateRange& range);
std::string_view dateRangeText(DateRangeError error);

enum class SelectionResult {
  Ok,
  NotOffered,  // the section selection of a mail database
  NoMessage,   // the current message does not exist
  Failed,      // a table could not be read (reported)
};

// Collects the selection's message numbers (mail identifiers), a page at a
// time: call step() until it answers true. The list is taken whole before
// an operation writes, so links or statuses it changes cannot move the walk.
class SelectionCollector {
 public:
  SelectionCollector(Context& ctx, SelectionCode code, SelectionStart start, std::optional<DateRange> range,
                     std::size_t pageSize = 400);
  ~SelectionCollector();

  bool step();
  SelectionResult result() const { return result_; }
  const std::vector<std::uint32_t>& ids() const { return ids_; }

 private:
  struct Pager;
  Context& ctx_;
  std::optional<DateRange> range_;
  std::size_t pageSize_;
  SelectionResult result_ = SelectionResult::Ok;
  std::vector<std::uint32_t> ids_;
  std::unique_ptr<Pager> pager_;
  std::optional<std::uint32_t> last_;
  bool done_ = false;
};

}  // namespace qv::exporting
