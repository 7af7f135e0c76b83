#include "readers/outlook/session.h"

#include <charconv>

namespace qv::outlook {
namespace {

// Folders within folders deeper than this are not walked (a client that
// answers with a cycle must not keep the import walking).
constexpr int kDepthMax = 64;

std::string item(std::uint64_t number) { return ".ITEM(" + std::to_string(number) + ")"; }

}  // namespace

std::string textProperty(Automation& client, Handle of, std::string_view name, bool* failed) {
  std::string value = of != 0 ? client.property(of, name) : std::string(kPropertyFailed);
  const bool bad = value == kPropertyFailed;
  if (failed != nullptr) *failed = bad;
  return bad ? std::string() : value;
}

std::int64_t numberProperty(Automation& client, Handle of, std::string_view name) {
  const std::string text = textProperty(client, of, name);
  std::int64_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  return ec == std::errc() ? n : 0;
}

Session::Session(std::unique_ptr<Automation> client) : client_(std::move(client)) {}

Session::~Session() { close(); }

StartResult Session::start() {
  const std::string version = client_ ? client_->installedVersion() : std::string();
  if (version.empty()) return StartResult::NotInstalled;
  application_ = client_->createApplication(version);
  if (application_ == 0) return StartResult::CannotRun;
  namespace_ = client_->object(application_, "GetNameSpace(\"MAPI\")");
  if (namespace_ == 0) return StartResult::CannotRun;
  const Handle top = client_->object(namespace_, ".FOLDERS");
  walk(top, {}, 0);
  if (top != 0) client_->release(top);
  return StartResult::Started;
}

void Session::walk(Handle folders, const std::string& parentName, int depth) {
  if (folders == 0 || depth > kDepthMax) return;
  Automation& c = *client_;
  const std::int64_t count = numberProperty(c, folders, ".COUNT");
  for (std::int64_t i = 1; i <= count; ++i) {
    const Handle f = c.object(folders, item(static_cast<std::uint64_t>(i)));
    if (f == 0) continue;
    Folder entry;
    entry.object = f;
    entry.name = textProperty(c, f, ".NAME").substr(0, 100);
    const Handle parent = c.object(f, ".PARENT");
    entry.parentName = parent != 0 ? textProperty(c, parent, ".NAME").substr(0, 100) : parentName;
    if (parent != 0) c.release(parent);
    bool typeFailed = false;
    const std::string type = textProperty(c, f, ".DefaultItemType", &typeFailed);
    const Handle items = c.object(f, ".ITEMS");
    const std::int64_t n = numberProperty(c, items, ".COUNT");
    if (items != 0) c.release(items);
    const Handle sub = c.object(f, ".FOLDERS");
    const bool listed = !typeFailed && type == "0" && n > 0;
    if (listed) {
      entry.count = static_cast<std::uint32_t>(n);
      folders_.push_back(entry);
    }
    walk(sub, entry.name, depth + 1);
    if (sub != 0) c.release(sub);
    if (!listed) c.release(f);
  }
}

bool Session::select(const std::vector<std::string>& chosen) {
  for (Folder& f : folders_) f.selected = false;
  bool all = true;
  for (const std::string& name : chosen) {
    bool found = false;
    for (Folder& f : folders_) {
      if (name == f.name || name == f.parentName + "\\" + f.name) {
        f.selected = true;
        found = true;
        break;
      }
    }
    all = all && found;
  }
  return all;
}

std::uint64_t Session::selectedItems() const {
  std::uint64_t n = 0;
  for (const Folder& f : folders_)
    if (f.selected) n += f.count;
  return n;
}

void Session::close() {
  if (!client_) return;
  for (Folder& f : folders_)
    if (f.object != 0) client_->release(f.object);
  folders_.clear();
  if (namespace_ != 0) client_->release(namespace_);
  if (application_ != 0) client_->quit(application_);
  namespace_ = application_ = 0;
  client_.reset();
}

}  // namespace qv::outlook
