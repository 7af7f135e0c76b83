#pragma once
// Debian's python3-dbfread as an independent reader of the dBase files this
// project writes.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/store/engine/dbase_bytes.h"

namespace qv::test {

// Runs python3-dbfread over a file; each record's fields come out as
// "NAME=value" with texts as hex of their Windows-1252 bytes.
inline std::string dbfreadDump(const std::filesystem::path& dbfFile, const std::filesystem::path& work) {
  std::string python;
  for (const char* candidate : {"python3", "/usr/bin/python3"}) {
    const std::string probe = std::string(candidate) + " -c 'import dbfread' >/dev/null 2>&1";
    if (std::system(probe.c_str()) == 0) {
      python = candidate;
      break;
    }
  }
  if (python.empty()) return {};
  dbf::save(work / "dump.py",
            "import sys, dbfread\n"
            "t = dbfread.DBF(sys.argv[1], encoding='cp1252')\n"
            "print(' '.join('%s=%s%d.%d' % (f.name, f.type, f.length, f.decimal_count) for f in t.fields))\n"
            "for r in t:\n"
            "    print(' '.join('%s=%s' % (k, v.encode('cp1252').hex() if isinstance(v, str) else repr(v))\n"
            "                   for k, v in r.items()))\n");
  const std::string cmd = python + " '" + (work / "dump.py").string() + "' '" + dbfFile.string() + "' > '" +
                          (work / "dump.txt").string() + "' 2>&1";
  const int rc = std::system(cmd.c_str());
  const std::string out = dbf::load(work / "dump.txt");
  return rc == 0 ? out : "dbfread failed: " + out;
}

inline std::string hex(const std::string& s) {
  std::string out;
  char buf[4];
  for (unsigned char c : s) {
    std::snprintf(buf, sizeof buf, "%02x", c);
    out += buf;
  }
  return out;
}

}  // namespace qv::test
