#include "readers/outlook/outlook_reader.h"

#include <algorithm>

#include "readers/machinery/run_sink.h"
#include "store/charset.h"
#include "store/config.h"

namespace qv::outlook {
namespace {

// Addresses are stored in lower case, as every mail reader stores them.
std::string itemOf(std::string_view name, std::int64_t number) {
  return std::string(name) + "(" + std::to_string(number) + ")";
}

struct Sender {
  std::string address, name;
};

// The sender as a reply to the item addresses it: the reply's first
// recipient. The reply is deleted again and every object released.
Sender senderByReply(Automation& c, Handle item) {
  Sender s;
  const Handle reply = c.object(item, ".REPLY");
  if (reply == 0) return s;
  const Handle recipients = c.object(reply, ".Recipients");
  if (recipients != 0) {
    if (numberProperty(c, recipients, ".Count") >= 1) {
      const Handle first = c.object(recipients, ".Item(1)");
      if (first != 0) {
        s.address = textProperty(c, first, ".Address");
        s.name = textProperty(c, first, ".NAME");
        c.release(first);
      }
    }
    c.release(recipients);
  }
  c.call(reply, ".DELETE");
  c.release(reply);
  return s;
}

}  // namespace

OutlookReader::~OutlookReader() {
  if (items_ != 0) session_.client().release(items_);
}

bool OutlookReader::call(ReaderPhase phase, ImportRun& run) {
  Automation& c = session_.client();
  if (phase == ReaderPhase::Open) {
    order_ = internet::numericOrderOf(displaySetting(run.ctx, kItemImportDateOrder));
    items_ = c.object(folder_.object, ".ITEMS");
    count_ = items_ != 0 ? numberProperty(c, items_, ".COUNT") : 0;
    next_ = 1;
    if (items_ == 0) run.skip(0, "the items of the folder " + folder_.name + " cannot be read");
  } else {
    const std::int64_t last = std::min(count_, next_ + kItemsPerCall - 1);
    for (; next_ <= last && !run.failed; ++next_) {
      const Handle item = c.object(items_, itemOf(".Item", next_));
      if (item == 0) {
        run.skip(static_cast<std::uint64_t>(next_), "the item cannot be read");
      } else {
        convertItem(item, static_cast<std::uint64_t>(next_), run);
        c.release(item);
      }
      ++run.progress;
    }
  }
  const bool finished = next_ > count_ || run.failed;
  if (finished && items_ != 0) {
    c.release(items_);
    items_ = 0;
  }
  return finished;
}

void OutlookReader::convertItem(Handle item, std::uint64_t number, ImportRun& run) {
  Automation& c = session_.client();
  internet::Message m;
  m.subject = textProperty(c, item, ".SUBJECT").substr(0, 100);
  const std::string senderName = textProperty(c, item, ".SENDERNAME");
  m.text = textProperty(c, item, ".BODY");
  const std::string created = textProperty(c, item, ".CreationTime");
  const std::size_t blank = created.find(' ');
  m.date = internet::parseNumericDate(std::string_view(created).substr(0, blank), order_);
  m.time = blank == std::string::npos ? 0 : internet::parseClockTime(std::string_view(created).substr(blank + 1));

  Sender sender = senderByReply(c, item);
  if (sender.name.empty()) sender.name = senderName;
  if (sender.address.starts_with("/")) {
    m.senderIsOwner = true;  // an address of the client's own directory
  } else if (sender.address.empty()) {
    m.senderAddress = sender.name.empty() ? "Unknown" : lower1252(sender.name);
    m.senderName = sender.name.empty() ? "" : "Unknown";
  } else {
    m.senderAddress = lower1252(sender.address);
    m.senderName = sender.name;
  }

  internet::RunSink sink(run);
  const Handle recipients = c.object(item, ".Recipients");
  const std::int64_t count = numberProperty(c, recipients, ".COUNT");
  for (std::int64_t i = 1; i <= count && !run.failed; ++i) {
    const Handle r = c.object(recipients, itemOf(".ITEM", i));
    if (r == 0) continue;
    if (textProperty(c, r, ".Type") == "1") {  // a To recipient
      m.recipientAddress = lower1252(textProperty(c, r, ".Address"));
      m.recipientName = textProperty(c, r, ".NAME");
      sink.take(m, number);
    }
    c.release(r);
  }
  if (recipients != 0) c.release(recipients);
}

}  // namespace qv::outlook
