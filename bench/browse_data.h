#pragma once
// The browse benchmark's databases: a forum database and a mail database of
// a chosen size with the shape of a long-used archive, written the way the
// word index writes its tables (records appended without key upkeep in one
// stream, then each table's keys built once), so that a million messages
// take seconds to set up rather than the import's minutes.
//
// Forum: a few hundred sections of unequal traffic, threads of 1-30
// messages mostly (a few of up to 300) and one of exactly `longThread`
// messages, replies pointing (MSG:REFNUMBER) at earlier messages of their
// thread so each thread is a real reply tree, thousands of persons as
// senders and receivers (a reply goes to the sender it answers, or to
// "All"), dates spread over 20 years with message numbers rising with the
// date. Mail: conversations of 1-8 mails with one partner each, in and out,
// replies with "Re: ", over the same 20 years. A few messages, threads and
// mails carry the keep or delete status. No message texts: the browse views
// and the thread tree read only the header, thread, section and person
// tables.

#include <cstdint>
#include <filesystem>

#include "store/context.h"

namespace qv::bench {

struct BrowseShape {
  std::uint32_t messages = 1000000;  // forum messages, and as many mails
  std::uint32_t persons = 5000;      // in each database
  std::uint32_t sections = 300;
  std::uint32_t longThread = 2000;
  std::uint32_t seed = 1;
  std::uint32_t keepPerThousand = 5;    // of messages and mails
  std::uint32_t deletePerThousand = 5;
};

// What the measurements need to know of the data made.
struct BrowseFacts {
  std::uint32_t forumId = 0;  // FOR:ID of each database
  std::uint32_t mailId = 0;
  std::uint32_t firstMessage = 0;  // message numbers run without gaps
  std::uint32_t lastMessage = 0;
  std::uint32_t threads = 0;
  std::uint32_t longThread = 0;         // its thread number
  std::uint32_t longThreadMessage = 0;  // its first message
  std::uint32_t firstMail = 0;          // MAI:MAILID runs without gaps too
  std::uint32_t lastMail = 0;
  std::int32_t firstDay = 0;
  std::int32_t lastDay = 0;
  double forumAppendSeconds = 0, forumKeySeconds = 0;
  double mailAppendSeconds = 0, mailKeySeconds = 0;
};

// Each adds its database to the list of the home `ctx` works in, fills it
// and builds its keys; the database is the active one afterwards. False
// after a message on stderr when a table could not be written.
bool makeForumDatabase(Context& ctx, const BrowseShape& shape, BrowseFacts& facts);
bool makeMailDatabase(Context& ctx, const BrowseShape& shape, BrowseFacts& facts);

// Makes a fresh home in `dir` with both databases, in a child process so
// that the making's memory never counts in the caller's figures. False when
// the child failed.
bool makeDatabasesInChild(const std::filesystem::path& dir, const BrowseShape& shape, BrowseFacts& facts);

}  // namespace qv::bench
