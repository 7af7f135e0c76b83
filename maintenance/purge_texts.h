#pragma once
// What the purge and count window shows: titles, step texts, statistics
// labels, the count panel's captions and the questions, byte for byte.

#include <string_view>

namespace qv::maintenance {

// Titles.
inline constexpr std::string_view kPurgeTitle = " Message Purging ";
inline constexpr std::string_view kCountTitle = " Message Counting ";
inline constexpr std::string_view kScheduledPurgeTitle = " Scheduled Message Purging [";  // + description + "]"
inline constexpr std::string_view kScheduledCountTitle = " Scheduled Message Counting [";  // + description + "]"
inline constexpr std::string_view kPurgeRunningTitle = " Purging Messages .. Please Wait!";
inline constexpr std::string_view kCountRunningTitle = " Counting Messages .. Please Wait!";

// Buttons.
inline constexpr std::string_view kStartPurgeButton = "Start the purging process";
inline constexpr std::string_view kStartCountButton = "Start the counting process";
inline constexpr std::string_view kEndButton = "End this session";

// Statistics.
inline constexpr std::string_view kBeforePurging = "Messages before purging";
inline constexpr std::string_view kDeletedThisSession = "Deleted during this session";
inline constexpr std::string_view kAfterPurging = "Messages after purging";
inline constexpr std::string_view kMessagesInDatabase = "Number of messages in database";
inline constexpr std::string_view kThreadsInDatabase = "Number of threads in database";
inline constexpr std::string_view kMembersInDatabase = "Number of Forum members in database";

// The count panel.
inline constexpr std::string_view kCountPanelHeading = "Message Counting";
inline constexpr std::string_view kPanelMessages = "Number of messages:";
inline constexpr std::string_view kPanelThreads = "Number of threads:";
inline constexpr std::string_view kPanelMembers = "Number of Forum members:";
inline constexpr std::string_view kPanelMailPartners = "Number of mailpartners:";
inline constexpr std::string_view kPanelPersons = "Number of persons:";

// Step texts.
inline constexpr std::string_view kMarkingAgedText = "Marking aged threads for deletion";
inline constexpr std::string_view kSettingAgedText = "Setting delete status to aged threads";
inline constexpr std::string_view kDeletingThreadsText = "Deleting messages in obsolete threads";
inline constexpr std::string_view kDeletingMessagesText = "Deleting obsolete messages";
inline constexpr std::string_view kDeletingSectionsText = "Deleting messages in obsolete sections";
inline constexpr std::string_view kTopicLinksText = "Removing orphaned search indexes";
inline constexpr std::string_view kTopicCountsText = "Updating key word index counts";
inline constexpr std::string_view kWordIndexText = "Purging orphaned word indexes";
inline constexpr std::string_view kOrphanLinksText = "Removing orphan duplicates";
inline constexpr std::string_view kReceiversText = "Updating message receiver information";
inline constexpr std::string_view kPersonCountsText = "Updating message counts per person";
inline constexpr std::string_view kPartnerCountsText = "Updating message counts per mailpartner";
inline constexpr std::string_view kThreadCountsText = "Updating message counts per thread";
inline constexpr std::string_view kSectionCountsText = "Updating message counts per section";
inline constexpr std::string_view kPreparingDuplicatesText = "Preparing for mail duplicate elimination";
inline constexpr std::string_view kIdentifyingDuplicatesText = "Identifying duplicate mail messages";
inline constexpr std::string_view kMarkingDuplicatesText = "Set delete status on duplicates";

// The end of a run.
inline constexpr std::string_view kCompletionText = "The time for completion was: ";  // + seconds + " seconds"
inline constexpr std::string_view kPurgeCompletionTitle = " Obsolete Message Purging ";
inline constexpr std::string_view kCountCompletionTitle = " Count Messages ";

// The question before a database marked Delete is removed.
inline constexpr std::string_view kDeleteDatabaseTitle = " Database marked for deletion!";
inline constexpr std::string_view kDeleteDatabaseText =
    "Do you really want to delete all messages in this database? If you do, the entire database directory will "
    "be removed.";

}  // namespace qv::maintenance
