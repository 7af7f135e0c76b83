#include "store/engine/dbase/ndx_file.h"

#include <algorithm>
#include <cstring>

namespace qv::engine::dbase {

namespace {

constexpr int kMaxDepth = 32;

void putLE(unsigned char* at, std::uint32_t v, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}
std::uint32_t getLE(const unsigned char* at, std::size_t n) {
  std::uint32_t v = 0;
  for (std::size_t i = n; i-- > 0;) v = v << 8 | at[i];
  return v;
}

Status damaged(const std::filesystem::path& p, const std::string& what) {
  return {Err::FileSystemError, "The index " + p.string() + " is damaged: " + what};
}

}  // namespace

void NdxFile::setKey(const NdxKey& key) {
  key_ = key;
  entrySize_ = 8 + (keyBytes() + 3) / 4 * 4;
  maxLeaf_ = (kPage - 4) / entrySize_;
  maxInterior_ = (kPage - 8) / entrySize_;  // the pointer after the last key needs 4 bytes more
}

Status NdxFile::create(const std::filesystem::path& p, const NdxKey& key) {
  setKey(key);
  if (Status s = file_.create(p); !s.ok()) return s;
  root_ = 1;
  pages_ = 2;
  if (Status s = writeNode(1, Node{}); !s.ok()) return s;
  return writeHeader();
}

Status NdxFile::open(const std::filesystem::path& p, const NdxKey& key) {
  setKey(key);
  if (Status s = file_.open(p, true); !s.ok()) return s;
  unsigned char h[kPage] = {};
  std::size_t got = 0;
  if (Status s = file_.readAt(0, h, kPage, got); !s.ok()) return s;
  Status bad;
  root_ = getLE(h, 4);
  pages_ = getLE(h + 4, 4);
  const std::string expression(reinterpret_cast<const char*>(h + 24), strnlen(reinterpret_cast<const char*>(h + 24), 488));
  if (got < kPage)
    bad = damaged(p, "no header page");
  else if (getLE(h + 12, 2) != keyBytes() || getLE(h + 16, 2) != (key_.numeric ? 1u : 0u) ||
           getLE(h + 18, 4) != entrySize_ || expression != key_.expression)
    bad = damaged(p, "it is not the index of " + key_.expression);
  else if (pages_ < 2 || root_ < 1 || root_ >= pages_ || static_cast<std::uint64_t>(pages_) * kPage > file_.size())
    bad = damaged(p, "its pages lie outside the file");
  if (!bad.ok()) file_.close();
  return bad;
}

Status NdxFile::readNode(std::uint32_t page, Node& node) const {
  if (page < 1 || page >= pages_) return damaged(file_.name(), "page " + std::to_string(page) + " is outside the file");
  unsigned char b[kPage] = {};
  std::size_t got = 0;
  if (Status s = file_.readAt(static_cast<std::uint64_t>(page) * kPage, b, kPage, got); !s.ok()) return s;
  if (got < kPage) return damaged(file_.name(), "page " + std::to_string(page) + " is cut off");
  const std::uint32_t count = getLE(b, 4);
  node.leaf = getLE(b + 4, 4) == 0;
  if (count > (node.leaf ? maxLeaf_ : maxInterior_))
    return damaged(file_.name(), "page " + std::to_string(page) + " counts too many keys");
  node.entries.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const unsigned char* e = b + 4 + i * entrySize_;
    node.entries[i].page = getLE(e, 4);
    node.entries[i].recno = getLE(e + 4, 4);
    node.entries[i].key.assign(reinterpret_cast<const char*>(e + 8), keyBytes());
  }
  node.last = node.leaf ? 0 : getLE(b + 4 + count * entrySize_, 4);
  if (!node.leaf) {
    for (const Entry& e : node.entries)
      if (e.page < 1 || e.page >= pages_) return damaged(file_.name(), "a page points outside the file");
    if (node.last < 1 || node.last >= pages_) return damaged(file_.name(), "a page points outside the file");
  }
  return {};
}

Status NdxFile::writeNode(std::uint32_t page, const Node& node) {
  unsigned char b[kPage] = {};
  putLE(b, static_cast<std::uint32_t>(node.entries.size()), 4);
  for (std::size_t i = 0; i < node.entries.size(); ++i) {
    unsigned char* e = b + 4 + i * entrySize_;
    putLE(e, node.entries[i].page, 4);
    putLE(e + 4, node.entries[i].recno, 4);
    std::memcpy(e + 8, node.entries[i].key.data(), keyBytes());
  }
  if (!node.leaf) putLE(b + 4 + node.entries.size() * entrySize_, node.last, 4);
  return file_.writeAt(static_cast<std::uint64_t>(page) * kPage, b, kPage);
}

Status NdxFile::writeHeader() {
  unsigned char h[kPage] = {};
  putLE(h, root_, 4);
  putLE(h + 4, pages_, 4);
  putLE(h + 12, static_cast<std::uint32_t>(keyBytes()), 2);
  putLE(h + 14, static_cast<std::uint32_t>(maxLeaf_), 2);
  putLE(h + 16, key_.numeric ? 1 : 0, 2);
  putLE(h + 18, static_cast<std::uint32_t>(entrySize_), 4);
  std::memcpy(h + 24, key_.expression.data(), std::min<std::size_t>(key_.expression.size(), 487));
  return file_.writeAt(0, h, kPage);
}

int NdxFile::compare(std::string_view a, std::string_view b) const {
  if (key_.numeric) {
    double x = 0, y = 0;
    std::memcpy(&x, a.data(), sizeof x);
    std::memcpy(&y, b.data(), sizeof y);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  const int c = std::memcmp(a.data(), b.data(), keyBytes());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Status NdxFile::insert(std::string_view key, std::uint32_t recno) {
  // Down to the leaf, past every key not above the new one (a key of an
  // interior page is the highest key below its child), remembering the way.
  struct Step {
    std::uint32_t page;
    Node node;
    std::size_t child;
  };
  std::vector<Step> path;
  std::uint32_t page = root_;
  Node node;
  for (int depth = 0;; ++depth) {
    if (depth > kMaxDepth) return damaged(file_.name(), "the tree is deeper than any index can be");
    if (Status s = readNode(page, node); !s.ok()) return s;
    if (node.leaf) break;
    std::size_t i = 0;
    while (i < node.entries.size() && compare(node.entries[i].key, key) <= 0) ++i;
    const std::uint32_t child = i < node.entries.size() ? node.entries[i].page : node.last;
    path.push_back(Step{page, std::move(node), i});
    page = child;
  }
  std::size_t at = 0;
  while (at < node.entries.size() && compare(node.entries[at].key, key) <= 0) ++at;
  node.entries.insert(node.entries.begin() + static_cast<std::ptrdiff_t>(at), Entry{0, recno, std::string(key)});
  if (node.entries.size() <= maxLeaf_) return writeNode(page, node);

  // Split the full page in two: the left half stays, the right half gets a
  // new page, and the left half's highest key goes up to the parent, which
  // may split in turn.
  std::uint32_t left = page;
  Node right;
  right.leaf = node.leaf;
  const std::size_t half = node.entries.size() / 2;
  right.entries.assign(node.entries.begin() + static_cast<std::ptrdiff_t>(half), node.entries.end());
  node.entries.resize(half);
  std::string up = node.entries.back().key;
  std::uint32_t rightPage = pages_++;
  if (Status s = writeNode(rightPage, right); !s.ok()) return s;
  if (Status s = writeNode(left, node); !s.ok()) return s;

  while (!path.empty()) {
    Step step = std::move(path.back());
    path.pop_back();
    Node& parent = step.node;
    const auto i = static_cast<std::ptrdiff_t>(step.child);
    parent.entries.insert(parent.entries.begin() + i, Entry{left, 0, up});
    if (step.child + 1 < parent.entries.size())
      parent.entries[step.child + 1].page = rightPage;
    else
      parent.last = rightPage;
    if (parent.entries.size() <= maxInterior_) {
      if (Status s = writeNode(step.page, parent); !s.ok()) return s;
      return writeHeader();
    }
    const std::size_t m = parent.entries.size() / 2;
    Node rightHalf;
    rightHalf.leaf = false;
    rightHalf.entries.assign(parent.entries.begin() + static_cast<std::ptrdiff_t>(m) + 1, parent.entries.end());
    rightHalf.last = parent.last;
    up = parent.entries[m].key;
    parent.last = parent.entries[m].page;
    parent.entries.resize(m);
    left = step.page;
    rightPage = pages_++;
    if (Status s = writeNode(rightPage, rightHalf); !s.ok()) return s;
    if (Status s = writeNode(left, parent); !s.ok()) return s;
  }
  Node root;
  root.leaf = false;
  root.entries.push_back(Entry{left, 0, up});
  root.last = rightPage;
  root_ = pages_++;
  if (Status s = writeNode(root_, root); !s.ok()) return s;
  return writeHeader();
}

}  // namespace qv::engine::dbase
