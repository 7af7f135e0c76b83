#include "readers/outlook/automation.h"

namespace qv::outlook {
namespace {

// No automation of the client exists on this system.
class NotInstalled final : public Automation {
 public:
  std::string installedVersion() override { return {}; }
  Handle createApplication(const std::string&) override { return 0; }
  Handle object(Handle, std::string_view) override { return 0; }
  std::string property(Handle, std::string_view) override { return std::string(kPropertyFailed); }
  bool call(Handle, std::string_view) override { return false; }
  void release(Handle) override {}
  void quit(Handle) override {}
};

}  // namespace

std::unique_ptr<Automation> makeDefaultAutomation() { return std::make_unique<NotInstalled>(); }

bool clientInstalled(const AutomationFactory& factory) {
  if (!factory) return false;
  const std::unique_ptr<Automation> client = factory();
  return client && !client->installedVersion().empty();
}

}  // namespace qv::outlook
