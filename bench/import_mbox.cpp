// A whole import of a large mailbox through `quorvel import`.
//
// Writes a "Generic Mail Type 2" mailbox of about 200 MB (plain,
// multipart, quoted-printable and HTML messages of sizes like real mail),
// reads it once sequentially to measure what the disk and cache give, then
// imports it into a fresh data home with the quorvel program. Printed:
// megabytes and messages per second of the whole import, and the
// conversion phase's throughput as a ratio to the plain read.
//
//   bench_import_mbox QUORVEL [megabytes] [directory]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char* const kWords[] = {"archive", "message", "forum",  "thread", "reply",  "modem",  "network", "mailbox",
                              "quorum",  "letter",  "people", "report", "budget", "garden", "weather", "project",
                              "meeting", "friday",  "coffee", "update", "server", "backup", "travel",  "family"};

std::string paragraph(std::mt19937& rng, std::size_t bytes) {
  std::string p;
  std::size_t line = 0;
  while (p.size() < bytes) {
    const char* w = kWords[rng() % 24];
    p += w;
    line += std::char_traits<char>::length(w) + 1;
    if (line > 68) {
      p += "\n";
      line = 0;
    } else {
      p += ' ';
    }
  }
  return p + "\n";
}

// One message of one of four shapes, with a body of a realistic size.
std::string message(std::mt19937& rng, unsigned n) {
  static const char* const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const unsigned who = static_cast<unsigned>(rng() % 400);
  const std::size_t size = 400 + static_cast<std::size_t>(rng() % 6000);
  char date[64];
  std::snprintf(date, sizeof date, "%s, %u %s %u %02u:%02u:%02u +0100", days[n % 7], 1 + n % 28, months[n % 12],
                1995 + n % 10, static_cast<unsigned>(rng() % 24), static_cast<unsigned>(rng() % 60),
                static_cast<unsigned>(rng() % 60));
  std::string m = "From sender" + std::to_string(who) + "@example.org " + std::string(date).substr(0, 24) + "\n";
  m += "From: Sender " + std::to_string(who) + " <sender" + std::to_string(who) + "@example.org>\n";
  m += "To: Jane Smith <jane@example.org>\n";
  m += "Subject: " + std::string(n % 5 == 0 ? "Re: " : "") + kWords[n % 24] + " " + std::to_string(n % 997) + "\n";
  m += "Date: " + std::string(date) + "\n";
  m += "Message-ID: <m" + std::to_string(n) + "@example.org>\n";
  const std::string body = paragraph(rng, size);
  switch (n % 4) {
    case 0:
      m += "\n" + body;
      break;
    case 1:
      m += "MIME-Version: 1.0\nContent-Type: multipart/alternative; boundary=\"b" + std::to_string(n) +
           "\"\n\nThis is a multi-part message.\n\n--b" + std::to_string(n) +
           "\nContent-Type: text/plain; charset=iso-8859-1\n\n" + body + "\n--b" + std::to_string(n) +
           "\nContent-Type: text/html\n\n<html><body><p>" + body + "</p></body></html>\n--b" + std::to_string(n) +
           "--\n";
      break;
    case 2: {
      std::string qp = body;
      for (std::size_t at = 0; (at = qp.find("e ", at)) != std::string::npos; at += 4) qp.replace(at, 2, "=E9 ");
      m += "Content-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: quoted-printable\n\n" + qp;
      break;
    }
    default:
      m += "Content-Type: text/html\n\n<html><head><title>t</title></head><body><p>" + body +
           "</p><br><a href=\"http://example.org/x\">link</a></body></html>\n";
  }
  return m + "\n";
}

double seconds(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

long long field(const std::string& json, const std::string& name) {
  std::smatch m;
  if (std::regex_search(json, m, std::regex("\"" + name + "\": (\\d+)"))) return std::stoll(m[1]);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_import_mbox QUORVEL [megabytes] [directory]\n");
    return 2;
  }
  const std::string quorvel = argv[1];
  const std::size_t megabytes = argc > 2 ? static_cast<std::size_t>(std::atoi(argv[2])) : 200;
  const fs::path dir = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / "qv-bench-mbox";
  fs::remove_all(dir);
  fs::create_directories(dir / "sources");
  const fs::path mbox = dir / "sources" / "big.mbx";
  unsigned count = 0;
  {
    std::ofstream out(mbox, std::ios::binary);
    std::mt19937 rng(42);
    std::size_t written = 0;
    while (written < megabytes * 1000000) {
      const std::string m = message(rng, count++);
      out << m;
      written += m.size();
    }
  }
  const double bytes = static_cast<double>(fs::file_size(mbox));

  // The plain sequential read, twice: the second one from the page cache,
  // as the import will find the file.
  double plain = 0;
  for (int round = 0; round < 2; ++round) {
    const auto t0 = Clock::now();
    std::FILE* f = std::fopen(mbox.c_str(), "rb");
    std::vector<char> buf(1 << 20);
    std::size_t sum = 0;
    while (const std::size_t got = std::fread(buf.data(), 1, buf.size(), f)) sum += got + static_cast<unsigned char>(buf[0]);
    std::fclose(f);
    plain = seconds(t0);
    if (sum == 0) return 3;
  }

  const fs::path home = dir / "home";
  const std::string q = quorvel + " --home " + home.string();
  auto output = [](const std::string& command) {
    std::FILE* p = popen(command.c_str(), "r");
    std::string text;
    char chunk[4096];
    while (std::size_t got = std::fread(chunk, 1, sizeof chunk, p)) text.append(chunk, got);
    pclose(p);
    return text;
  };
  const long long mailDb = field(output(q + " --json db add-mail 'Jane Smith' jane@example.org"), "id");
  if (mailDb <= 0) return 4;
  const std::string json = output(q + " --json import --format 'Generic Mail Type 2' --method files --path " +
                                  (dir / "sources").string() + " --file big.mbx --mail --mail-db " +
                                  std::to_string(mailDb) + " --no-index 2>/dev/null");
  const long long imported = field(json, "imported");
  const double total = static_cast<double>(field(json, "milliseconds")) / 1000.0;
  const double conversion = static_cast<double>(field(json, "conversion milliseconds")) / 1000.0;
  if (imported <= 0 || total <= 0) {
    std::fprintf(stderr, "the import failed:\n%s\n", json.c_str());
    return 5;
  }
  std::printf("%u messages, %.1f MB, %lld imported\n", count, bytes / 1e6, imported);
  std::printf("plain sequential read:  %8.2f s  %8.1f MB/s\n", plain, bytes / 1e6 / plain);
  std::printf("conversion:             %8.2f s  %8.1f MB/s  %8.0f messages/s  ratio to plain read %.3f (goal 0.25)\n",
              conversion, bytes / 1e6 / conversion, static_cast<double>(imported) / conversion, plain / conversion);
  std::printf("whole import:           %8.2f s  %8.1f MB/s  %8.0f messages/s (goal 20000)\n", total,
              bytes / 1e6 / total, static_cast<double>(imported) / total);
  fs::remove_all(dir);
  return 0;
}
