#pragma once
// quorvel export-mailbox: a selection written as mbox, Maildir or one EML
// file. The run is callable on its own so that another command can offer
// the same formats.

#include <string>

#include "app/cli/commands/selection_options.h"
#include "export/mailbox_export.h"

namespace qv::app::cli {

class Env;

// Exports the selection `selection` names to `path` (file or Maildir
// directory); prints the full path written and the counts. The exit status.
int runMailboxExport(Env& env, const SelectionArgs& selection, exporting::MailboxFormat format,
                     const std::string& path);

}  // namespace qv::app::cli
