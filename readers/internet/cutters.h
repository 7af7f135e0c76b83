#pragma once
// The per-format parts of the Internet store readers: where a message starts
// and where it ends (README.md beside this file describes each layout).

#include <memory>

#include "readers/machinery/store_reader.h"

namespace qv::internet {

// Eudora: "From ???@???" separator lines, filtered by the table of contents
// (the ".TOC" beside the mailbox) when there is one.
std::unique_ptr<Cutter> makeEudoraCutter();
// IE Mail and Outlook Express 4 Mail: messages after the marker 0x7F 0x00 0x7F.
std::unique_ptr<Cutter> makeMarkerCutter();
// Netscape Mail: messages after "From - " lines; CR LF or LF line ends.
std::unique_ptr<Cutter> makeNetscapeMailCutter();
// Pegasus: header lines to a Ctrl-Z.
std::unique_ptr<Cutter> makePegasusCutter();
// TheBat: binary records of known length.
std::unique_ptr<Cutter> makeTheBatCutter();
// "Generic Mail Type 1", Becky Mail, Agent Mail (`news` false) and Gravity
// (`news` true): a message is a run of header lines and its body, up to the
// next header line after the body has begun.
std::unique_ptr<Cutter> makeHeaderScanCutter(bool news);
// "Generic Mail Type 2", Poco Mail (`news` false) and Winvn (true): "From "
// lines with an address or ending in the mailbox date (from_line.h).
std::unique_ptr<Cutter> makeFromLineCutter(bool news);
// IE News and Outlook Express 4 News (`records` true: 0xBC records and
// header lines) and Netscape News (false: header lines only; CR LF or LF
// line ends).
std::unique_ptr<Cutter> makeNewsCutter(bool records);

}  // namespace qv::internet
