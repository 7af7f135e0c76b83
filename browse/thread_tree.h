#pragma once
// The thread tree: every message of the thread that holds a given message of
// the active forum or newsgroup database, as lines of a reply tree for a
// front end to draw (the desktop program's tree window, `quorvel tree`).
//
// The tree follows the message browse: showThreadOf is called with the
// browse's current message and rebuilds only when that message lies in
// another thread than the one shown. Mail databases have no threads; the
// caller does not ask for them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "browse/line_texts.h"
#include "browse/thread_layout.h"
#include "store/context.h"

namespace qv::browse {

// The icon of a line: a root has the file icon, a reply the folder icon.
enum class TreeIcon : std::uint8_t { None = 0, File = 1, Folder = 2 };

// A colour of a line is kDefaultColour (line_texts.h), the front end's
// default colour, or a configured one.

// The forms of a line's text, general setting 16 "Format of thread tree items".
enum class TreeItemFormat : std::int32_t {
  SenderName = 1,            // "Ann Lee"
  SenderNumber = 2,          // "Ann Lee 1042"
  SenderDate = 3,            // "Ann Lee 1995-03-01"
  SenderNumberDate = 4,      // "Ann Lee 1042 1995-03-01"
  SenderDateNumber = 5,      // "Ann Lee 1995-03-01 1042"
};

// Longest text of a line.
inline constexpr std::size_t kTreeLineSize = 200;

struct TreeLine {
  std::string text;  // Windows-1252, at most kTreeLineSize characters
  int level = 0;     // depth in the tree minus one: roots stand at 0
  TreeIcon icon = TreeIcon::None;
  std::uint32_t message = 0;  // 0 on the blank first line
  std::int32_t normalForeground = kDefaultColour;
  std::int32_t normalBackground = kDefaultColour;
  std::int32_t selectedForeground = kDefaultColour;
  std::int32_t selectedBackground = kDefaultColour;
  friend bool operator==(const TreeLine&, const TreeLine&) = default;
};

enum class TreeUpdate {
  Rebuilt,        // the lines now show the message's thread
  SameThread,     // the message is in the thread already shown; nothing changed
  NoSuchMessage,  // the database holds no such message; nothing changed
  ReadFailed,     // a table could not be read (reported); nothing changed
};

class ThreadTree {
 public:
  // Works on the active database of `ctx` (its mem globals). The tables are
  // opened for each call of showThreadOf and released after it.
  explicit ThreadTree(Context& ctx) : ctx_(ctx) {}

  // Shows the thread of message `number`:
  // - the message's thread is the one shown: SameThread, nothing read further;
  // - otherwise the thread's messages are read through the thread key (its
  //   Threads record gives the alpha part of the key; a missing record reads
  //   as a cleared one, a blank alpha), laid out as layOutThread says, and
  //   written as lines: a blank line first (level 0, no icon, message 0),
  //   then one line per message. Its text is the sender's name ("First
  //   Last", either part may be blank; blank when the person is missing)
  //   with the number and the date as general setting 16 asks (any value
  //   other than 1-5 counts as the default, 2), the date in the date display
  //   format of setting 10. The settings are read at each rebuild.
  // Uses the record buffers ctx.msg, ctx.thr and ctx.per.
  TreeUpdate showThreadOf(std::uint32_t number);

  const std::vector<TreeLine>& lines() const { return lines_; }
  // The line of message `number`, to select the browse's current message;
  // nullopt when the tree does not show it.
  std::optional<std::size_t> lineOf(std::uint32_t number) const;
  // The greatest depth of the thread shown, counting a root as 1 (its line
  // stands at level deepestLevel() - 1); 0 before anything was shown.
  int deepestLevel() const { return deepest_; }
  // The thread shown; nullopt before the first rebuild.
  std::optional<std::uint32_t> threadNumber() const { return thread_; }

 private:
  // The thread's messages by ascending number; false after a reported failure.
  bool readThread(std::uint32_t thread, std::vector<ThreadMessage>& messages);
  std::string senderName(std::uint32_t personId);

  Context& ctx_;
  std::optional<std::uint32_t> thread_;
  std::vector<TreeLine> lines_;
  int deepest_ = 0;
};

}  // namespace qv::browse
