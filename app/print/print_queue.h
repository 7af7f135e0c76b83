#pragma once
// The print queue: CUPS's lp, found on PATH. A printout is written as a PDF
// file first; the queue, when there is one, is handed that file.

#include <filesystem>
#include <optional>

namespace qv::app {

// The lp program on PATH, or none when this machine has no print queue.
std::optional<std::filesystem::path> printQueueProgram();

enum class QueueResult { Sent, NoQueue, Failed };
// Hands `pdf` to the print queue.
QueueResult sendToPrintQueue(const std::filesystem::path& pdf);

// The PDF file written when none is named, in the temporary directory.
inline constexpr const char* kDefaultPrintFile = "Messages.pdf";

inline constexpr const char* kNoPrintQueueText =
    "There is no print queue here (CUPS's lp was not found); the PDF file is kept.";

}  // namespace qv::app
