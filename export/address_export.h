#pragma once
// The address export, CopyAddress: the persons of the active database as an
// address book for another program — all persons, or only the senders and
// receivers of the messages (mails) of a topic, of a date range, or of both
// (the persons found through both). Five formats: TAPCIS, Eudora and
// Generic Mail text lines, OzWin II binary records, and a dBase III table
// with its index. The file is made in the temporary directory under the
// name given (a name with a path is refused); it is written under a
// temporary name and takes its own name only when the export has finished,
// so a stopped or failed export leaves no file behind.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "export/export_format.h"  // kFilenameErrorTitle
#include "export/selection.h"
#include "store/context.h"
#include "store/job.h"

namespace qv::exporting {

enum class AddressFormat : std::uint8_t { Tapcis = 1, Eudora = 2, GenericMail = 3, OzWin2 = 4, DBase3 = 5 };

std::string_view addressFormatLabel(AddressFormat f);
// "Address.Txt", "Address.Ab" (OzWin II) or "Address.Dbf" (dBase III).
std::string_view defaultAddressFile(AddressFormat f);

inline constexpr std::string_view kAddressExportTitle = " Address export";
inline constexpr std::string_view kNoAddressesTitle = " Warning!";
inline constexpr std::string_view kNoAddressesPassed = "No addresses passed filter.";
inline constexpr std::string_view kAddressAbortedTitle = " Warning";
inline constexpr std::string_view kAddressExportAborted = "Address export aborted.";
inline constexpr std::string_view kFilenameErrorText = "Do not include the path, just the filename!";
// count + " addresses written to file."
std::string addressCountText(std::uint64_t count);

// Text formats collect their lines in buffers of this many bytes.
inline constexpr std::size_t kAddressBufferBytes = 10000;

// The name of a person as the address formats write it: first and last
// name, either alone when the other is blank, "Unknown" when both are, and
// blank for the placeholder person "Name Unknown".
std::string addressName(const Person& p);
bool isPlaceholderPerson(const Person& p);

// The address text of a person in a format; none when the person is left
// out (no address). Eudora and Generic Mail: an Internet address as it is, a
// service identifier "70001,1" as "70001.1@compuserve.com", after the quoted
// first and last name (both given) or the last name (only it given).
// TAPCIS and OzWin II: "INTERNET:" + an Internet address, a service
// identifier unchanged. dBase III: the address as for Generic Mail without
// a name; blank when there is none (the person is still written).
std::optional<std::string> addressText(AddressFormat f, const Person& p);

// One entry of a text format: the line with CR LF, or the OzWin II record.
std::string addressEntry(AddressFormat f, std::string_view name, std::string_view address);

struct AddressRequest {
  std::string fileName{};  // empty: the format's default name
  AddressFormat format = AddressFormat::GenericMail;
  std::uint32_t topicId = 0;         // 0: no topic filter
  std::optional<DateRange> range{};  // none: no date filter
};

enum class AddressResult {
  Running,
  Done,          // count + " addresses written to file."
  NoneSelected,  // "No addresses passed filter."; no file
  Refused,       // a path in the name, a topic that is none, a date range in error (reported); no file
  Cancelled,     // "Address export aborted."; no file
  Failed,        // the file could not be written (reported); no file
};

class AddressExportJob final : public Job {
 public:
  static constexpr std::size_t kRowsPerStep = 400;

  AddressExportJob(Context& ctx, AddressRequest request);
  ~AddressExportJob() override;

  bool step() override;
  AddressResult result() const { return result_; }
  std::uint64_t written() const { return written_; }
  // The full path of the file (in the temporary directory).
  const std::filesystem::path& path() const { return path_; }

  class Output;

 private:
  enum class Phase { Topic, Dates, Persons, Write };
  bool collectTopic();
  bool collectDates();
  bool collectPersons();
  void startWriting();
  void writeSlice();
  void addParties(std::uint32_t message);
  void refuse(std::string_view title, std::string_view text);
  void end(AddressResult r);

  Context& ctx_;
  AddressRequest request_;
  AddressResult result_ = AddressResult::Running;
  Phase phase_ = Phase::Persons;
  std::filesystem::path path_;
  bool mail_ = false;
  // The selection lists: person identifiers in the order found, each once.
  std::vector<std::uint32_t> topicList_, dateList_, persons_;
  std::set<std::uint32_t> topicSeen_, dateSeen_;
  std::vector<std::uint32_t>* filling_ = nullptr;
  std::set<std::uint32_t>* fillingSeen_ = nullptr;
  // Where a walk goes on at the next step.
  bool resume_ = false;
  std::uint32_t lastId_ = 0;
  std::int32_t lastDate_ = 0, lastTime_ = 0;
  std::unique_ptr<Output> out_;
  std::size_t at_ = 0;
  std::uint64_t written_ = 0;
};

// Runs the address export to its end: the result.
AddressResult CopyAddress(Context& ctx, const AddressRequest& request);

}  // namespace qv::exporting
