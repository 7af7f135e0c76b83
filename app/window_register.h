#pragma once
// The register of open windows, by group and name.
//
// Every work window (a browse, a maintenance window, the import procedure, a
// companion of a browse) registers itself when it starts and unregisters when
// it has closed. Windows find each other here by group and name and talk only
// by posted events: the register keeps one event queue per window, and the
// front end's event loop drains it with takeEvents(). Nothing else is shared
// between windows through the register.
//
// The register is an object owned by the application context; it holds no
// global state. Every operation may be called from any thread at the same time.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace qv::app {

// Groups and names of the windows that register here.
namespace windows {
// The main work windows.
inline constexpr std::string_view kNotToolsGroup = "NotToolsGroup";
inline constexpr std::string_view kBrowseMsgNmbr = "BrowseMsgNmbr";
inline constexpr std::string_view kBrowseMail = "BrowseMail";
inline constexpr std::string_view kBrowsePerson = "BrowsePerson";
inline constexpr std::string_view kBrowseTopics = "BrowseTopics";
inline constexpr std::string_view kBrowseBox = "BrowseBox";
inline constexpr std::string_view kChangeForum = "ChangeForum";
inline constexpr std::string_view kPurgeMess = "PurgeMess";
inline constexpr std::string_view kDuplicates = "Duplicates";
inline constexpr std::string_view kUserPanel = "UserPanel";
inline constexpr std::string_view kBrowseTasks = "BrowseTasks";
inline constexpr std::string_view kBrowseBatch = "BrowseBatch";
inline constexpr std::string_view kStartTask = "StartTask";
inline constexpr std::string_view kShowAlias = "ShowAlias";
inline constexpr std::string_view kMergePersons = "MergePersons";

// The companions of a browse; closed together when the browse closes or the
// active database changes.
inline constexpr std::string_view kFindGroup = "FindGroup";
inline constexpr std::string_view kThreadTree = "ThreadTree";
inline constexpr std::string_view kExportProc = "ExportProc";
inline constexpr std::string_view kPrintProc = "PrintProc";
inline constexpr std::string_view kClassifyProc = "ClassifyProc";
inline constexpr std::string_view kStatusProc = "StatusProc";
inline constexpr std::string_view kAddressExport = "AddressExport";
// The topic tree beside a browse (this program's own name).
inline constexpr std::string_view kTopicTree = "TopicTree";

// The import windows.
inline constexpr std::string_view kImportGroup = "ImportGroup";
inline constexpr std::string_view kImportIt = "ImportIt";

// The application frame registers itself too, so that a job can post to it
// (the import's "ImportMeny" notification). The frame's group and name are
// this program's own choice; no other window uses them.
inline constexpr std::string_view kFrameGroup = "FrameGroup";
inline constexpr std::string_view kFrame = "Frame";
}  // namespace windows

// Identifies one registration. Identifiers are never reused within one
// register, so an identifier kept after its window closed can never reach a
// window opened later under the same name.
using WindowId = std::uint64_t;

enum class WindowEventKind {
  BringToFront,  // show the window and give it the focus
  Close,         // close the window; it unregisters itself once it has closed
  User,          // a numbered notification; see WindowEvent::code and name
};

// Numbers of the user events that windows send each other.
namespace events {
// Sent by the import procedure to the frame when it ends, so that the frame
// enables its import menu again.
inline constexpr int kImportMeny = 1;
inline constexpr std::string_view kImportMenyName = "ImportMeny";
}  // namespace events

struct WindowEvent {
  WindowEventKind kind = WindowEventKind::User;
  int code = 0;      // User events: the event's number; 0 for the other kinds
  std::string name;  // User events: the event's name, for logs and tests

  static WindowEvent bringToFront() { return {WindowEventKind::BringToFront, 0, {}}; }
  static WindowEvent close() { return {WindowEventKind::Close, 0, {}}; }
  static WindowEvent user(int code, std::string_view name) { return {WindowEventKind::User, code, std::string(name)}; }
  static WindowEvent importMeny() { return user(events::kImportMeny, events::kImportMenyName); }

  friend bool operator==(const WindowEvent&, const WindowEvent&) = default;
};

struct WindowEntry {
  WindowId id = 0;
  std::string group;
  std::string name;

  friend bool operator==(const WindowEntry&, const WindowEntry&) = default;
};

class WindowRegister {
 public:
  struct OpenResult {
    WindowId id = 0;       // the window to use; 0 only when group or name is empty
    bool created = false;  // true: a new registration the caller must now open a window for
  };

  WindowRegister() = default;
  WindowRegister(const WindowRegister&) = delete;
  WindowRegister& operator=(const WindowRegister&) = delete;

  // Registers the calling window under group and name and returns its new
  // identifier (never 0). A group and name identify one window: when a window
  // of that group and name is already registered, nothing changes and 0 is
  // returned (the caller brings the open one forward instead; see
  // openOrBringForward, which does both without a gap between them). An empty
  // group or name is refused with 0 too, as such a window could not be found.
  WindowId TmCreate(std::string_view group, std::string_view name);

  // The identifier of the open window of that group and name; 0 when none is
  // registered. Names compare exactly (letter case counts).
  WindowId TmGetId(std::string_view group, std::string_view name) const;

  // Replaces the contents of `list` with the open windows of the group (or of
  // the group with that name), oldest registration first. True when the list
  // holds at least one window; false and an empty list otherwise.
  bool TmQuery(std::string_view group, std::vector<WindowEntry>& list) const;
  bool TmQuery(std::string_view group, std::string_view name, std::vector<WindowEntry>& list) const;

  // Unregisters the window once it has closed; events still queued for it are
  // discarded. False when the identifier is not registered (already destroyed,
  // or never issued); nothing changes then.
  bool TmDestroy(WindowId id);

  // Asks every open window of the group to close by posting Close to each and
  // returns how many were asked. The windows stay registered until each has
  // closed and called TmDestroy: a window asked to close may still be
  // finishing its work (committing a transaction, ending a job step) with its
  // tables open, and callers wait for the group to empty (TmQuery false)
  // before they force-close the tables and touch the database files.
  // Unregistering at once would tell them that too early.
  std::size_t TmDestroyGroup(std::string_view group);

  // Registers a window under group and name, or, when one is already
  // registered, posts BringToFront to it. Atomic: of two threads opening the
  // same window at once, exactly one gets created=true.
  // Empty group or name: {0, false}, nothing posted.
  OpenResult openOrBringForward(std::string_view group, std::string_view name);

  // Queues the event for the window. False when the identifier is not
  // registered: the event is dropped, as its window has gone. BringToFront and
  // Close are not queued twice: when the same kind is already waiting, the
  // post succeeds and the queue is unchanged (a window asked twice to close
  // closes once). User events are always queued, in posting order.
  bool post(WindowId id, WindowEvent event);

  // Removes and returns the events queued for the window, in posting order.
  // Empty when none are waiting or the identifier is not registered.
  std::vector<WindowEvent> takeEvents(WindowId id);

  // Called after every successful post, outside the register's lock, with the
  // identifier of the window that has events waiting, so that the front end
  // can wake its event loop instead of polling. The listener may call the
  // register. Set it before windows start; it is not meant to change while
  // events are being posted.
  void setPostListener(std::function<void(WindowId)> listener);

 private:
  struct Window {
    std::string group;
    std::string name;
    std::deque<WindowEvent> events;
  };

  // The three ...Locked functions need mutex_ held; notify() must be called without it.
  WindowId findLocked(std::string_view group, std::string_view name) const;
  WindowId createLocked(std::string_view group, std::string_view name);
  bool postLocked(WindowId id, WindowEvent event);
  void notify(WindowId id) const;

  mutable std::mutex mutex_;
  std::map<WindowId, Window> windows_;  // ordered by identifier = by registration
  WindowId lastId_ = 0;
  std::function<void(WindowId)> listener_;
};

}  // namespace qv::app
