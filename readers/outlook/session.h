#pragma once
// One import's hold on the Outlook client: the application, its MAPI
// namespace and the list of mail folders, from the start of the import to
// its end. Every object it obtains is released before the application is
// told to quit.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "readers/outlook/automation.h"

namespace qv::outlook {

// A mail folder of the client (the folder list).
struct Folder {
  std::string parentName;  // CPARENTFOLDERNAME, 100
  std::string name;        // CFOLDERNAME, 100
  std::uint32_t count = 0; // COUNT: items in the folder
  Handle object = 0;       // CMAPIFOLDER
  bool selected = false;   // SELECTED
};

enum class StartResult : std::uint8_t {
  Started,
  NotInstalled,    // no installed version: "Fatal error. Outlook cannot be initialized."
  CannotRun,       // the application cannot be created: "Outlook cannot be run"
};

inline constexpr const char* kNotInitialisedText = "Fatal error. Outlook cannot be initialized.";
inline constexpr const char* kCannotRunText = "Outlook cannot be run";
inline constexpr const char* kFoldersMissingText = "Selected Outlook folders no longer exist.";

class Session {
 public:
  explicit Session(std::unique_ptr<Automation> client);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Finds the installed version, creates the application, gets the MAPI
  // namespace and walks its folders: every folder whose default item type
  // is mail (0) and that holds items goes into the folder list, in the
  // order of the walk (a folder before its own folders).
  StartResult start();
  const std::vector<Folder>& folders() const { return folders_; }

  // Marks the folders the import chose: a name is a folder's name, or its
  // parent's name, "\" and its name. False when a chosen folder is not in
  // the list any more.
  bool select(const std::vector<std::string>& chosen);
  // The items of the selected folders.
  std::uint64_t selectedItems() const;

  Automation& client() { return *client_; }

  // Releases every folder object and the namespace and quits the
  // application. Done once; the destructor does it when nobody did.
  void close();

 private:
  void walk(Handle folders, const std::string& parentName, int depth);

  std::unique_ptr<Automation> client_;
  Handle application_ = 0;
  Handle namespace_ = 0;
  std::vector<Folder> folders_;
};

// Reads a number property; 0 when it fails or is not a number.
std::int64_t numberProperty(Automation& client, Handle of, std::string_view name);
// Reads a text property; empty when it fails.
std::string textProperty(Automation& client, Handle of, std::string_view name, bool* failed = nullptr);

}  // namespace qv::outlook
