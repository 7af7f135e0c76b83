#pragma once
// The texts the person windows show, kept together so they can be checked.

#include <string_view>

namespace qv::browse::texts {

inline constexpr std::string_view kWarning = "Warning!";
inline constexpr std::string_view kNoMessagesFrom = "No messages from address ";
inline constexpr std::string_view kDefaultAddress = "You are not allowed to change the mail default address!";
inline constexpr std::string_view kSwapFailed = "Failed to swap address!";
inline constexpr std::string_view kChangedMeanwhile = "The record has just been changed by another user!\r\nTry again!";

inline constexpr std::string_view kSortByName = "Sort by lastname";
inline constexpr std::string_view kSortByAddress = "Sort by CIS adress";
inline constexpr std::string_view kCurrentAddressFor = " Current address for";

inline constexpr std::string_view kMailPartners = " Mail Partners [";
inline constexpr std::string_view kForumMembers = " Forum Members [";
inline constexpr std::string_view kNewsgroupParticipants = " Newsgroup Participants [";

inline constexpr std::string_view kRenameMail = " Update Mail Partner name";
inline constexpr std::string_view kRenameForum = " Update Forum Member name";
inline constexpr std::string_view kRenameNewsgroup = " Update Newsgroup Participant name";

inline constexpr std::string_view kFullAddressLabel = "Full address - cannot be changed";
inline constexpr std::string_view kLastNameLabel = "Lastname - can be changed";
inline constexpr std::string_view kFirstNameLabel = "Firstname - can be changed";
inline constexpr std::string_view kAddressLabel = "Address - cannot be changed";
inline constexpr std::string_view kSentLabel = "Messages sent - cannot be changed";
inline constexpr std::string_view kReceivedLabel = "Messages received - cannot be changed";

}  // namespace qv::browse::texts
