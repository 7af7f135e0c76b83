#include "app/window_register.h"

#include <algorithm>
#include <utility>

namespace qv::app {

WindowId WindowRegister::findLocked(std::string_view group, std::string_view name) const {
  for (const auto& [id, w] : windows_)
    if (w.group == group && w.name == name) return id;
  return 0;
}

WindowId WindowRegister::createLocked(std::string_view group, std::string_view name) {
  if (group.empty() || name.empty() || findLocked(group, name) != 0) return 0;
  const WindowId id = ++lastId_;
  windows_.emplace(id, Window{std::string(group), std::string(name), {}});
  return id;
}

bool WindowRegister::postLocked(WindowId id, WindowEvent event) {
  const auto it = windows_.find(id);
  if (it == windows_.end()) return false;
  auto& queue = it->second.events;
  if (event.kind != WindowEventKind::User) {
    const bool waiting =
        std::any_of(queue.begin(), queue.end(), [&](const WindowEvent& e) { return e.kind == event.kind; });
    if (waiting) return true;
  }
  queue.push_back(std::move(event));
  return true;
}

void WindowRegister::notify(WindowId id) const {
  std::function<void(WindowId)> listener;
  {
    const std::lock_guard lock(mutex_);
    listener = listener_;
  }
  if (listener) listener(id);
}

WindowId WindowRegister::TmCreate(std::string_view group, std::string_view name) {
  const std::lock_guard lock(mutex_);
  return createLocked(group, name);
}

WindowId WindowRegister::TmGetId(std::string_view group, std::string_view name) const {
  const std::lock_guard lock(mutex_);
  return findLocked(group, name);
}

bool WindowRegister::TmQuery(std::string_view group, std::vector<WindowEntry>& list) const {
  list.clear();
  const std::lock_guard lock(mutex_);
  for (const auto& [id, w] : windows_)
    if (w.group == group) list.push_back({id, w.group, w.name});
  return !list.empty();
}

bool WindowRegister::TmQuery(std::string_view group, std::string_view name, std::vector<WindowEntry>& list) const {
  list.clear();
  const std::lock_guard lock(mutex_);
  for (const auto& [id, w] : windows_)
    if (w.group == group && w.name == name) list.push_back({id, w.group, w.name});
  return !list.empty();
}

bool WindowRegister::TmDestroy(WindowId id) {
  const std::lock_guard lock(mutex_);
  return windows_.erase(id) > 0;
}

std::size_t WindowRegister::TmDestroyGroup(std::string_view group) {
  std::vector<WindowId> asked;
  {
    const std::lock_guard lock(mutex_);
    for (const auto& [id, w] : windows_)
      if (w.group == group && postLocked(id, WindowEvent::close())) asked.push_back(id);
  }
  for (const WindowId id : asked) notify(id);
  return asked.size();
}

WindowRegister::OpenResult WindowRegister::openOrBringForward(std::string_view group, std::string_view name) {
  OpenResult result;
  {
    const std::lock_guard lock(mutex_);
    if (group.empty() || name.empty()) return result;
    result.id = findLocked(group, name);
    if (result.id == 0) {
      result.id = createLocked(group, name);
      result.created = true;
      return result;
    }
    postLocked(result.id, WindowEvent::bringToFront());
  }
  notify(result.id);
  return result;
}

bool WindowRegister::post(WindowId id, WindowEvent event) {
  {
    const std::lock_guard lock(mutex_);
    if (!postLocked(id, std::move(event))) return false;
  }
  notify(id);
  return true;
}

std::vector<WindowEvent> WindowRegister::takeEvents(WindowId id) {
  const std::lock_guard lock(mutex_);
  const auto it = windows_.find(id);
  if (it == windows_.end()) return {};
  auto& queue = it->second.events;
  std::vector<WindowEvent> out(std::make_move_iterator(queue.begin()), std::make_move_iterator(queue.end()));
  queue.clear();
  return out;
}

void WindowRegister::setPostListener(std::function<void(WindowId)> listener) {
  const std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

}  // namespace qv::app
