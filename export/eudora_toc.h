#pragma once
// Eudora's companions of its mailboxes: the table of contents beside each
// mailbox file and the mailbox map of the folder. Eudora rebuilds neither
// from the mailbox on its own, so an export that is to appear in its
// mailbox list writes both.
//
// Table of contents (the mailbox's name with "TOC" for its extension):
// a header of 104 bytes, then one entry of 218 bytes per message.
//   header: 0-1 version (30, little-endian), 2-33 the mailbox name
//           (NUL-padded), 34 the mailbox type (0 in, 1 out), the rest 0
//   entry:  0-3 the message's byte offset in the mailbox, 4-7 its length
//           (both little-endian), 8-11 seconds since 1 January 1970 of its
//           date and time, 12 the status (0 read, 2 sent), 13-45 the date
//           text, 46-109 the sender (in) or receiver (out), 110-173 the
//           subject (each NUL-padded and cut), the rest 0
// This system's Eudora reader takes the offsets of a table of contents as
// the messages' starts.
//
// Mailbox map "DESCMAP.PCE": one line per mailbox, "name,file,S,N" with CR
// LF ("InBox,InBox.MBX,S,N").

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qv::exporting {

struct TocEntry {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::int32_t date = 0;  // day number
  std::int32_t time = 0;  // time number
  std::string dateText;
  std::string who;
  std::string subject;
};

// The table-of-contents file of a mailbox file: its name with the last
// three characters replaced by "TOC" when the fourth from the end is ".",
// else the name with ".TOC" added.
std::filesystem::path tocPath(const std::filesystem::path& mailbox);

// Writes the table of contents of `mailbox`; false when it cannot be
// written (nothing is left behind then).
bool CreateTOC(const std::filesystem::path& mailbox, bool outgoing, const std::vector<TocEntry>& entries);

// Writes DESCMAP.PCE into `dir` naming the mailbox files; false when it
// cannot be written. Its path goes to `written`.
bool CreateDeskMap(const std::filesystem::path& dir, const std::vector<std::string>& mailboxFiles,
                   std::filesystem::path& written);

}  // namespace qv::exporting
