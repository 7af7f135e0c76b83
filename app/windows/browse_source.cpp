#include "app/windows/browse_source.h"

#include "browse/browse_lines.h"
#include "store/dates.h"
#include "text/text_encoding.h"
#include "wordindex/search_query.h"

namespace qv::app {

namespace {

constexpr std::size_t kMostNumberDigits = 9;  // any nine digits fit a 32-bit record number

std::string cell(std::string_view stored) { return displayText(stored, LineBreaks::AsSpace); }

std::uint32_t idOf(const MsgNmbr& m) { return m.MSGNUMBER; }
std::uint32_t idOf(const Mail& m) { return m.MAILID; }

// One source over a pager of either browse; `Compose` makes a record's row.
template <class Record, class Pager>
class PagedSource final : public BrowseSource {
 public:
  PagedSource(Context& ctx, Pager pager, std::vector<std::string> headers)
      : ctx_(ctx), pager_(std::move(pager)), headers_(std::move(headers)) {}

  std::vector<std::string> headers() const override { return headers_; }
  std::vector<BrowseRow> first(std::size_t count) override { return rows(pager_.first(count)); }
  std::vector<BrowseRow> last(std::size_t count) override { return rows(pager_.last(count)); }
  std::vector<BrowseRow> after(std::uint32_t id, std::size_t count) override { return rows(pager_.after(id, count)); }
  std::vector<BrowseRow> before(std::uint32_t id, std::size_t count) override { return rows(pager_.before(id, count)); }
  std::optional<BrowseRow> at(std::uint32_t id) override { return one(pager_.at(id)); }
  std::optional<BrowseRow> locate(const std::string& typed) override {
    if (const std::optional<std::int32_t> day = wordindex::parseDay(typed)) {
      // The date locator works in date order; the row must be one of this view's.
      const std::optional<Record> found = pager_.atDate(*day);
      return found ? one(pager_.at(idOf(*found))) : std::nullopt;
    }
    if (isRecordNumber(typed)) {
      const auto number = static_cast<std::uint32_t>(std::stoul(typed));
      if constexpr (std::is_same_v<Record, MsgNmbr>) {
        // The nearest number, when it is one of this view's.
        const std::optional<MsgNmbr> near = pager_.atNumber(number);
        return near ? one(pager_.at(near->MSGNUMBER)) : std::nullopt;
      }
      return one(pager_.at(number));
    }
    return one(pager_.atName(cp1252FromUtf8(typed)));
  }

 private:
  std::optional<BrowseRow> one(const std::optional<Record>& r) {
    if (!r) return std::nullopt;
    return rows({*r}).front();
  }

  std::vector<BrowseRow> rows(const std::vector<Record>& page) {
    std::vector<BrowseRow> out;
    out.reserve(page.size());
    browse::LineComposer lines(ctx_);
    if constexpr (std::is_same_v<Record, MsgNmbr>) {
      const engine::ReadBurst reading{&ctx_.fileOf<Threads>(), &ctx_.fileOf<Sections>(), &ctx_.fileOf<Person>()};
      for (const MsgNmbr& m : page) {
        const browse::MessageLine l = lines.message(m);
        out.push_back({l.number,
                       {dates::formatDate(l.date, dates::kDateYyyyMmDd), cell(l.thread), cell(l.sender),
                        cell(l.receiver), cell(l.section)},
                       l.status,
                       l.colour,
                       m});
      }
    } else {
      const engine::ReadBurst reading{&ctx_.fileOf<Person>()};
      for (const Mail& m : page) {
        const browse::MailLine l = lines.mail(m);
        out.push_back({l.id,
                       {dates::formatDate(l.date, dates::kDateYyyyMmDd), dates::formatTime(l.time, dates::kTimeHhMm),
                        cell(l.subject), cell(l.from), cell(l.to)},
                       l.status,
                       l.colour,
                       m});
      }
    }
    return out;
  }

  Context& ctx_;
  Pager pager_;
  std::vector<std::string> headers_;
};

}  // namespace

bool isRecordNumber(std::string_view typed) {
  return !typed.empty() && typed.size() <= kMostNumberDigits &&
         typed.find_first_not_of("0123456789") == std::string_view::npos;
}

std::unique_ptr<BrowseSource> messageSource(Context& ctx, browse::MessageView view,
                                            std::optional<browse::ViewLimit> limit) {
  return std::make_unique<PagedSource<MsgNmbr, browse::MessagePager>>(
      ctx, browse::MessagePager(ctx, view, std::move(limit)),
      std::vector<std::string>{"Date", "Thread", "Sender", "Receiver", "Section"});
}

std::unique_ptr<BrowseSource> mailSource(Context& ctx, browse::MailView view, std::optional<browse::PersonLimit> person,
                                         std::optional<browse::ViewLimit> rows) {
  std::vector<std::string> headers{"Date", "Time", "Subject", "From", "To"};
  if (rows)
    return std::make_unique<PagedSource<Mail, browse::MailPager>>(ctx, browse::MailPager(ctx, view, *rows),
                                                                  std::move(headers));
  return std::make_unique<PagedSource<Mail, browse::MailPager>>(ctx, browse::MailPager(ctx, view, std::move(person)),
                                                                std::move(headers));
}

}  // namespace qv::app
