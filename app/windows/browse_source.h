#pragma once
// The lines a browse window lists, for any front end: one source per view of
// the active database's message or mail browse, paging through the view's
// pager and composing each record's line as display text (UTF-8, one line
// per cell). A front end keeps a window of these rows and asks for more at
// its edges; nothing here loads a table whole.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "browse/mail_views.h"
#include "browse/message_views.h"
#include "store/context.h"
#include "store/domain.h"

namespace qv::app {

// Whether a typed text is a message number or mail identifier: digits
// only, few enough to fit a record's number.
bool isRecordNumber(std::string_view typed);

struct BrowseRow {
  std::uint32_t id = 0;            // the message number or mail identifier
  std::vector<std::string> cells;  // display text, one per column
  Status status = Status::Normal;  // the line's effective status
  std::int32_t colour = -1;        // foreground colour, or -1 for the default
  std::variant<MsgNmbr, Mail> record;
};

class BrowseSource {
 public:
  virtual ~BrowseSource() = default;
  virtual std::vector<std::string> headers() const = 0;
  virtual std::vector<BrowseRow> first(std::size_t count) = 0;
  virtual std::vector<BrowseRow> last(std::size_t count) = 0;
  // Rows after (or before, nearest first) row `id`, which is not included.
  virtual std::vector<BrowseRow> after(std::uint32_t id, std::size_t count) = 0;
  virtual std::vector<BrowseRow> before(std::uint32_t id, std::size_t count) = 0;
  virtual std::optional<BrowseRow> at(std::uint32_t id) = 0;
  // The locator: a date (YYYY-MM-DD) finds that day's row or the nearest
  // one; a number the message of that number (the number view: or the
  // nearest lower one); other text the first row at or after it in the
  // views ordered by a name. Nothing when the view has no such row.
  virtual std::optional<BrowseRow> locate(const std::string& typed) = 0;
};

// The message browse (forum and newsgroup databases) in one view, limited or not.
std::unique_ptr<BrowseSource> messageSource(Context& ctx, browse::MessageView view,
                                            std::optional<browse::ViewLimit> limit);
// The mail browse: partner, sender and receiver take a person; the word,
// topic and result views their rows (ViewLimit); the others nothing.
std::unique_ptr<BrowseSource> mailSource(Context& ctx, browse::MailView view, std::optional<browse::PersonLimit> person,
                                         std::optional<browse::ViewLimit> rows);

}  // namespace qv::app
