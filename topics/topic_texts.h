#pragma once
// The topic windows' titles, confirmations and messages.

#include <string_view>

namespace qv::topics::texts {

inline constexpr std::string_view kListTitle = " Topics [";
inline constexpr std::string_view kAddTitle = " Add New Topic";
inline constexpr std::string_view kChangeTitle = " Update Topic";
inline constexpr std::string_view kDeleteTitle = " Delete Topic";
inline constexpr std::string_view kAcceptNew = " Accept new Topic";
inline constexpr std::string_view kAcceptChange = " Accept updated Topic";
inline constexpr std::string_view kConfirmDelete = " Confirm deletion of Topic";
inline constexpr std::string_view kWarning = "Warning!";
inline constexpr std::string_view kChangedMeanwhile = "The record has just been changed by another user!\r\nTry again!";

}  // namespace qv::topics::texts
