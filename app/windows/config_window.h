#pragma once
// The configuration window without its widgets: the list of settings the
// user edits, each with its description, its current value as text and the
// rule a new value must follow, and "Save changes". The GUI draws it; the
// command line presents it as `config list`, `config get KEY` and
// `config set KEY VALUE` (set, then save).
//
// Values are edited in the model first; nothing reaches the settings in
// memory before save(), which stores the changed values through the set
// operations (Konfig, AutoPath), saves the records of the general and
// display settings, the directories and the import path, and recomputes
// the speed values. Directory changes take effect at the next start of the
// program (the open tables keep their directories until then).
//
// Value texts (parse and format):
//   number      decimal ("15")
//   choice      one of the choice labels, any letter case, or its number
//   yes/no      "yes" or "no"
//   text        as given (trailing blanks dropped)
//   directory   an absolute path; "" restores the default
//   colour      "#RRGGBB" (red first), or the stored number (red in the low byte)
//   font        "Typeface,size", for example "Arial,8"
//   period      "hh:mm-hh:mm" (24-hour), or "none"
//   read-only   shown, never set

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/config.h"
#include "store/context.h"

namespace qv {

class ConfigWindow {
 public:
  enum class Kind { Number, Choice, YesNo, Text, Directory, Colour, Font, Period, ReadOnly };

  struct Choice {
    std::int32_t value;
    std::string label;
  };

  struct Item {
    std::string key;          // stable short name, e.g. "locator-delay"
    std::string description;  // as the window shows it
    Kind kind;
    std::vector<Choice> choices;  // Choice and YesNo items
    std::int64_t min = 0;         // Number items
    std::int64_t max = 0;
  };

  // Takes the current values (loading a settings record not loaded yet).
  explicit ConfigWindow(Context& ctx);

  const std::vector<Item>& items() const { return items_; }
  // Null for a key the window does not have.
  const Item* find(std::string_view key) const;

  // The value being edited, as text; "" for an unknown key.
  std::string value(std::string_view key) const;
  // What a new value must look like, in words.
  std::string rule(std::string_view key) const;

  // Takes a new value given as text. Empty on success; otherwise why it was
  // refused (the value is unchanged). Nothing is shown to the user.
  std::string set(std::string_view key, std::string_view text);
  bool changed() const;

  // "Save changes". kSettingsDone when everything was stored and saved. A
  // failed save shows the save-failure message (once) and gives
  // kSettingsNotDone; the new values stay
  // in effect in memory, and a later save tries again.
  SettingsResult save();

 private:
  struct Value {
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::string text;
    friend bool operator==(const Value&, const Value&) = default;
  };

  std::size_t indexOf(std::string_view key) const;
  Value current(std::size_t i);
  std::string format(std::size_t i, const Value& v) const;
  std::string parse(std::size_t i, std::string_view text, Value& v) const;
  std::string store(std::size_t i, const Value& v);

  Context& ctx_;
  std::vector<Item> items_;
  std::vector<Value> original_;
  std::vector<Value> edited_;
};

}  // namespace qv
