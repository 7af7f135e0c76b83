#pragma once
// "Outlook Mail" as the import sees it: a folder source (import/
// folder_source.h) over one Session with the client. The run's sources are
// the chosen mail folders; each is read by an OutlookReader.

#include <memory>
#include <string_view>

#include "import/folder_source.h"
#include "readers/outlook/automation.h"

namespace qv::outlook {

inline constexpr std::string_view kFormatName = "Outlook Mail";

// Registers "Outlook Mail" with the client `factory` gives (the system's
// client by default; tests give an in-memory one).
void registerOutlookFolders(Library& lib, AutomationFactory factory = makeDefaultAutomation);

}  // namespace qv::outlook
