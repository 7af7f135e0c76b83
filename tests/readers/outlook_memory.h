#pragma once
// An Outlook client in memory: folders with items and recipients, reached
// through the automation interface as the reader reaches the real one. It
// hands out a fresh handle for every object obtained and keeps count, so a
// test can check that everything was released before the client was told
// to quit.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "readers/outlook/automation.h"
#include "store/charset.h"

namespace qv::test {

struct MemoryOutlookState {
  struct Node {
    std::map<std::string, std::string> properties;  // by upper-case name
    std::map<std::string, int> children;            // ".FOLDERS", ".ITEMS", ".PARENT" … by upper-case name
    std::vector<int> elements;                      // of a collection, from .ITEM(1)
    bool collection = false;
  };

  std::string version = "Outlook.Application.9";
  bool canRun = true;
  std::vector<Node> nodes{Node{}};  // 0: the MAPI namespace
  std::map<outlook::Handle, int> live;
  outlook::Handle lastHandle = 0;
  int quits = 0;
  std::size_t liveAtQuit = 0;
  int badReleases = 0;
  int deletedReplies = 0;

  int add(Node n) {
    nodes.push_back(std::move(n));
    return static_cast<int>(nodes.size()) - 1;
  }
  int collection() { return add(Node{{}, {}, {}, true}); }
  int childOf(int node, const std::string& name) {
    auto it = nodes[node].children.find(name);
    if (it != nodes[node].children.end()) return it->second;
    const int c = collection();
    nodes[node].children[name] = c;
    return c;
  }
  // A folder under `parent` (0: a top folder of the namespace).
  int folder(int parent, const std::string& name, int itemType = 0) {
    Node f;
    f.properties = {{"NAME", name}, {"DEFAULTITEMTYPE", std::to_string(itemType)}};
    const int id = add(std::move(f));
    nodes[id].children["PARENT"] = parent;
    if (parent == 0) nodes[0].properties["NAME"] = "Mailbox";
    nodes[childOf(parent, "FOLDERS")].elements.push_back(id);
    childOf(id, "FOLDERS");
    childOf(id, "ITEMS");
    return id;
  }
  // A mail item whose reply is addressed to `replyAddress` / `replyName`
  // (no reply at all when both are empty).
  int item(int folderId, const std::string& subject, const std::string& senderName, const std::string& body,
           const std::string& created, const std::string& replyAddress = {}, const std::string& replyName = {}) {
    Node i;
    i.properties = {{"SUBJECT", subject}, {"SENDERNAME", senderName}, {"BODY", body}, {"CREATIONTIME", created}};
    const int id = add(std::move(i));
    childOf(id, "RECIPIENTS");
    if (!replyAddress.empty() || !replyName.empty()) {
      const int reply = add(Node{});
      nodes[id].children["REPLY"] = reply;
      recipient(reply, 1, replyAddress, replyName);
    }
    nodes[childOf(folderId, "ITEMS")].elements.push_back(id);
    return id;
  }
  void recipient(int itemId, int type, const std::string& address, const std::string& name) {
    Node r;
    r.properties = {{"TYPE", std::to_string(type)}, {"ADDRESS", address}, {"NAME", name}};
    const int id = add(std::move(r));
    nodes[childOf(itemId, "RECIPIENTS")].elements.push_back(id);
  }
};

class MemoryOutlook final : public outlook::Automation {
 public:
  explicit MemoryOutlook(std::shared_ptr<MemoryOutlookState> s) : s_(std::move(s)) {}

  std::string installedVersion() override { return s_->version; }
  outlook::Handle createApplication(const std::string& programId) override {
    return s_->canRun && programId == s_->version ? hand(0) : 0;
  }
  outlook::Handle object(outlook::Handle from, std::string_view expression) override {
    const auto it = s_->live.find(from);
    if (it == s_->live.end()) return 0;
    const MemoryOutlookState::Node& n = s_->nodes[static_cast<std::size_t>(it->second)];
    std::string key = upper1252(expression);
    if (key.starts_with(".")) key.erase(0, 1);
    if (key.starts_with("GETNAMESPACE(\"MAPI\")")) return hand(0);
    if (key.starts_with("ITEM(") && key.ends_with(")")) {
      const std::size_t k = std::stoul(key.substr(5, key.size() - 6));
      return k >= 1 && k <= n.elements.size() ? hand(n.elements[k - 1]) : 0;
    }
    const auto c = n.children.find(key);
    return c == n.children.end() ? 0 : hand(c->second);
  }
  std::string property(outlook::Handle of, std::string_view name) override {
    const auto it = s_->live.find(of);
    if (it == s_->live.end()) return std::string(outlook::kPropertyFailed);
    const MemoryOutlookState::Node& n = s_->nodes[static_cast<std::size_t>(it->second)];
    std::string key = upper1252(name);
    if (key.starts_with(".")) key.erase(0, 1);
    if (n.collection && key == "COUNT") return std::to_string(n.elements.size());
    const auto p = n.properties.find(key);
    return p == n.properties.end() ? std::string(outlook::kPropertyFailed) : p->second;
  }
  bool call(outlook::Handle on, std::string_view name) override {
    if (!s_->live.contains(on) || upper1252(name) != ".DELETE") return false;
    ++s_->deletedReplies;
    return true;
  }
  void release(outlook::Handle object) override {
    if (s_->live.erase(object) == 0) ++s_->badReleases;
  }
  void quit(outlook::Handle application) override {
    ++s_->quits;
    s_->live.erase(application);
    s_->liveAtQuit = s_->live.size();
  }

 private:
  outlook::Handle hand(int node) {
    s_->live[++s_->lastHandle] = node;
    return s_->lastHandle;
  }
  std::shared_ptr<MemoryOutlookState> s_;
};

}  // namespace qv::test
