#pragma once
// A register of callables by key, safe to fill and read from several
// threads: what the library keeps of the procedures started by code and of
// the import's readers and folder sources. An unknown key gives an empty
// value.

#include <map>
#include <mutex>
#include <utility>

namespace qv {

template <class Key, class Value>
class KeyedRegister {
 public:
  void add(const Key& key, Value value) {
    std::lock_guard lock(mutex_);
    items_[key] = std::move(value);
  }

  Value find(const Key& key) const {
    std::lock_guard lock(mutex_);
    const auto it = items_.find(key);
    return it == items_.end() ? Value() : it->second;
  }

 private:
  mutable std::mutex mutex_;
  std::map<Key, Value> items_;
};

}  // namespace qv
