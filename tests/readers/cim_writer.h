#pragma once
// Writers of the CompuServe clients' stores for the tests: filing cabinet
// objects and message files laid out as readers/cim/README.md describes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::test::cim {

inline void le(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline std::string str(std::string_view s) { return static_cast<char>(s.size()) + std::string(s); }

struct Party {
  std::string name, address;
};

struct CabinetForum {
  std::string subject = "Hello", senderName = "Ann Lee", senderAddress = "70000,1", section = "General";
  std::string forum = "CIS:TESTFORUM";
  std::uint8_t sectionNumber = 3;
  Party recipient{"All", ""};
  std::uint32_t number = 1001, parent = 0;
  std::string text = "Text";
};

struct CabinetMail {
  std::string subject = "Note", senderName = "Bob Ray", senderAddress = "INTERNET:bob@example.org";
  std::vector<Party> recipients;
  std::string shortText = "short";
  bool withText = true;
  std::string text = "Mail text";
};

// The 32-bit stamp of a date and time (seconds rounded down to even).
inline std::uint32_t stamp(int year, int month, int day, int h, int m, int s) {
  const auto date = static_cast<std::uint32_t>((year - 1970) << 9 | month << 5 | day);
  const auto time = static_cast<std::uint32_t>(h << 11 | m << 5 | s / 2);
  return date << 16 | time;
}

// An object's fixed part: marker, zero byte, name, kind, stamp, and the
// seven strings (the section and forum strings empty for mail).
inline std::string objectHead(std::uint8_t kind, std::uint32_t when, const std::vector<std::string>& strings) {
  std::string o = "~CS~FCR~";
  o.resize(13, '\x01');
  o[11] = 0;
  o += std::string(32, 'N');
  o.resize(106, '\x02');
  o += static_cast<char>(kind);
  o.resize(111, '\x03');
  le(o, when, 4);
  o.resize(119, '\x04');
  for (const std::string& s : strings) o += str(s);
  return o;
}

inline std::string object(const CabinetForum& f, std::uint32_t when = stamp(1998, 7, 14, 10, 20, 30)) {
  std::string o = objectHead(2, when, {f.subject, f.senderName, f.senderAddress, f.section, f.forum, "Y", "N"});
  o += "\x05\x05" + str("unused");
  o += static_cast<char>(f.sectionNumber);
  o += "\x06\x06\x06\x06" + str(f.recipient.name) + str(f.recipient.address) + "\x07\x07\x07\x07";
  le(o, f.number, 4);
  le(o, f.parent, 4);
  o += std::string(10, '\x08');
  le(o, static_cast<std::uint32_t>(f.text.size()), 4);
  return o + f.text;
}

inline std::string object(const CabinetMail& m, std::uint32_t when = stamp(1999, 2, 3, 4, 5, 6)) {
  std::string o = objectHead(9, when, {m.subject, m.senderName, m.senderAddress, "", "", "Y", "N"});
  o += "\x05\x05" + str("unused");
  o += '\x01';  // one counted entry
  o += '\x02';
  le(o, 77, 4);
  o += str("entry") + str(m.shortText);
  o += std::string(15, '\x09');
  o += static_cast<char>(m.recipients.size());
  for (const Party& p : m.recipients) o += str(p.name) + str(p.address);
  if (m.withText) {
    le(o, static_cast<std::uint32_t>(m.text.size()), 4);
    o += m.text;
  }
  return o;
}

inline std::string cabinet(const std::vector<std::string>& objects) {
  std::string f = "FCAB" + std::string(8, '\0');
  for (const std::string& o : objects) f += o;
  return f;
}

// Message files.
struct Listed {
  std::string name, address;
};

struct MailFile {
  std::string subject = "Meeting", senderName = "\"Carl Dee\"", senderAddress = "INTERNET:carl@example.org";
  std::vector<Listed> to, cc, bc;
  bool toInLongList = false;  // the TO entries in the 16-bit list
  std::string text = "Mail body";
};

struct ForumFile {
  std::string subject = "Question", senderName = "Dan Fox", senderAddress = "71000,2";
  Party recipient{"All", ""};
  std::uint32_t number = 2002, parent = 2001;
  std::uint8_t section = 5;
  std::string sectionName = "Help", forum = "CIS:OTHERFORUM";
  std::string text = "Forum body";
};

struct ThreadFile {
  std::uint8_t section = 7;
  std::string forum = "THREADFORUM";
  std::uint32_t number = 3003, parent = 0;
  Party sender{"Eve Gil", "72000,3"}, recipient{"All", ""};
  std::string text = "Thread body";
};

inline std::string fileHead(std::uint8_t kind, std::uint16_t headerLength) {
  std::string f("VIS000\x1A", 7);
  f += std::string(6, '\0');
  le(f, headerLength, 2);
  f += static_cast<char>(kind);
  return f;
}

inline std::string list(const std::vector<Listed>& entries, int countBytes) {
  std::string out;
  le(out, static_cast<std::uint32_t>(entries.size()), countBytes);
  for (const Listed& e : entries) out += str(e.name) + str(e.address) + std::string(4, '\0');
  return out;
}

inline std::string dateBytes(int year, int month, int day) {
  return {static_cast<char>(day), static_cast<char>(month), static_cast<char>(year - 1970)};
}

inline std::string file(const MailFile& m) {
  std::string f = fileHead(1, 40) + std::string(16, '\0');
  for (int i = 0; i < 4; ++i) f += str("x");
  le(f, 0, 2);
  f += std::string("\x0B\x16\x21", 3) + dateBytes(2001, 6, 9);  // 11:22:33
  f += std::string(6, '\0') + str(m.subject) + str(m.senderName) + str(m.senderAddress);
  f += list(m.toInLongList ? std::vector<Listed>{} : m.to, 1) + std::string(2, '\0');
  f += list(m.toInLongList ? m.to : std::vector<Listed>{}, 2);
  le(f, 0, 2);
  if (m.cc.empty() && m.bc.empty()) {
    f += '\x04';
  } else {
    f += list(m.cc, 1) + list(m.bc, 1) + list({}, 2) + list({}, 2);
  }
  return f + m.text;
}

inline std::string file(const ForumFile& m) {
  std::string f = fileHead(2, 10);
  f.resize(15 + 10, '\0');
  std::string block = std::string(4, '\0') + dateBytes(2000, 12, 31) + std::string(6, '\0');
  block += str(m.subject) + str(m.senderName) + str(m.senderAddress) + '\0' + str(m.recipient.name) +
           str(m.recipient.address);
  le(f, static_cast<std::uint32_t>(block.size()), 2);
  f += block + std::string(2, '\0');
  le(f, m.number, 4);
  le(f, m.parent, 4);
  f += std::string(8, '\0') + '\0' + static_cast<char>(m.section) + str(m.sectionName) + str(m.forum) + '\0';
  le(f, 0, 4);
  le(f, 0, 4);
  f += std::string("\x03zzz", 4);
  return f + m.text;
}

inline std::string file(const ThreadFile& m) {
  std::string f = fileHead(3, 6);
  f.resize(15 + 6, '\0');
  f += std::string(2, '\0') + static_cast<char>(m.section) + str(m.forum) + std::string(2, '\0');
  le(f, m.number, 4);
  le(f, m.parent, 4);
  f += std::string(8, '\0') + '\0' + std::string(4, '\0') + dateBytes(1997, 3, 4) + std::string(6, '\0');
  f += str(m.sender.name) + str(m.sender.address) + str(m.recipient.name) + str(m.recipient.address) + '\0';
  le(f, static_cast<std::uint32_t>(m.text.size()), 2);
  return f + m.text;
}

}  // namespace qv::test::cim
