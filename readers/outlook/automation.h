#pragma once
// The Outlook mail client as the import drives it: through its automation
// interface, reduced to the operations the import needs. Objects are
// reached from others by a property or a method written as a dotted
// expression (".FOLDERS", ".ITEM(3)", "GetNameSpace(\"MAPI\")"), read as
// text, and released when no longer needed.
//
// The default implementation is that of a system without the client: it
// names no installed version, so the wizard says "Outlook Is Not
// Installed" and an import definition of "Outlook Mail" ends with "Fatal
// error. Outlook cannot be initialized.". Tests drive the whole reader
// through an in-memory implementation with folders and items.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace qv::outlook {

using Handle = std::uint32_t;  // an object of the client; 0 none

// What a property read answers when it failed.
inline constexpr std::string_view kPropertyFailed = "GetPropertyFailed";

class Automation {
 public:
  virtual ~Automation() = default;
  // The versioned program identifier the installation names as the
  // client's current version ("Outlook.Application.9"); empty when the
  // client is not installed.
  virtual std::string installedVersion() = 0;
  // Creates the application object from that identifier; 0 when the
  // client cannot be run.
  virtual Handle createApplication(const std::string& programId) = 0;
  // The object `expression` reaches from `from`; 0 when it fails.
  virtual Handle object(Handle from, std::string_view expression) = 0;
  // The value of property `name` of `of` as text; kPropertyFailed when it
  // cannot be read.
  virtual std::string property(Handle of, std::string_view name) = 0;
  // Calls method `name` of `on` (".DELETE"); false when it fails.
  virtual bool call(Handle on, std::string_view name) = 0;
  // Gives an object back; the handle is not used again.
  virtual void release(Handle object) = 0;
  // Tells the application to quit, after every other object was released.
  virtual void quit(Handle application) = 0;
};

using AutomationFactory = std::function<std::unique_ptr<Automation>()>;

// The client on this system: not installed.
std::unique_ptr<Automation> makeDefaultAutomation();

// Whether the client that `factory` gives names an installed version.
bool clientInstalled(const AutomationFactory& factory);

}  // namespace qv::outlook
