#pragma once
// The duplicate-person window's texts: title, heading, step texts, result
// captions by database type, and the messages of its end and interruption.

#include <string>
#include <string_view>

#include "store/domain.h"

namespace qv::maintenance::dup_texts {

inline constexpr std::string_view kStepCorrect = "Correcting non wellformed CIS addresses";
inline constexpr std::string_view kStepIdentify = "Identifying duplicate Forum Members";
inline constexpr std::string_view kStepCount = "Updating count for suspected duplicates";
inline constexpr std::string_view kStepProcess = "Processing Step 1";
inline constexpr std::string_view kStepProcessMerges = "Processing Step 3";
inline constexpr std::string_view kStepRecode = "Recoding Message Receiver ID";
inline constexpr std::string_view kStepDelete = "Deleting duplicate persons";
inline constexpr std::string_view kStepRecount = "Updating message counts per person";

inline constexpr std::string_view kStartButton = "Start the duplicate elimination process";
inline constexpr std::string_view kFinished = "The Duplicate Removal Process has finished!";
inline constexpr std::string_view kCompletionTitle = " Duplicate Elimination ";
inline constexpr std::string_view kCompletionText = "The time for completion was: ";
inline constexpr std::string_view kInterruptedTitle = "Duplicate Person elimination interrupted";
inline constexpr std::string_view kInterruptedText =
    "Stopping at this stage will cause message counts \r\nto be incorrect.\r\nIf you do quit, please run the Count "
    "Messages process to correct the numbers! Are you sure you want to quit?";

inline constexpr std::string_view kLabelBefore = "Number of persons before duplicate elimination";
inline constexpr std::string_view kLabelWithout = "Number of persons without related messages";
inline constexpr std::string_view kLabelDuplicates = "Number of duplicate persons";
inline constexpr std::string_view kLabelRemaining = "Number of remaining persons";

// " Duplicate Merging [" + description + "]", or for a scheduled task
// " Scheduled Duplicate Merging [" ….
inline std::string title(std::string_view description, bool scheduled) {
  return std::string(scheduled ? " Scheduled Duplicate Merging [" : " Duplicate Merging [") + std::string(description) +
         "]";
}

struct Captions {
  std::string_view heading, existing, obsolete, merged, remaining;
};

inline Captions captions(DatabaseType type) {
  switch (type) {
    case DatabaseType::Mail:
      return {"Merge Duplicate Mail Partners", "Existing Mail Partners in database:",
              "Obsolete Mail Partners removed:", "Duplicate Mail Partners merged:", "Remaining Mail Partners:"};
    case DatabaseType::Newsgroup:
      return {"Merge Duplicate Newsgroup Participants", "Existing Newsgroup Participants in database:",
              "Obsolete Newsgroup Participants removed:", "Duplicate Newsgroup Participants merged:",
              "Remaining Newsgroup Participants:"};
    default:
      return {"Merge Duplicate Forum Members", "Existing Forum Members in database:", "Obsolete Forum Members removed:",
              "Duplicate Forum Members merged:", "Remaining Forum Members:"};
  }
}

}  // namespace qv::maintenance::dup_texts
