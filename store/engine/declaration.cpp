#include "store/engine/declaration.h"

#include <stdexcept>

namespace qv::engine {

std::size_t TableDecl::fieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i].name == name) return i;
  throw std::logic_error(label + ": no field " + std::string(name));
}

TableDecl& TableDecl::key(std::string name, unsigned flags, std::initializer_list<std::string_view> components) {
  KeyDecl k;
  k.name = std::move(name);
  k.flags = flags;
  for (std::string_view c : components) {
    const bool desc = !c.empty() && c.front() == '-';
    if (desc) c.remove_prefix(1);
    k.components.push_back(KeyComponent{fieldIndex(c), desc});
  }
  keys.push_back(std::move(k));
  return *this;
}

namespace {
char typeLetter(FieldType t) {
  switch (t) {
    case FieldType::Byte: return 'B';
    case FieldType::Short: return 'h';
    case FieldType::UShort: return 'H';
    case FieldType::Long: return 'L';
    case FieldType::ULong: return 'U';
    case FieldType::Real: return 'R';
    case FieldType::String: return 'S';
    case FieldType::Raw: return 'X';
  }
  return '?';
}
}  // namespace

std::string TableDecl::layoutSignature() const {
  std::string s = std::to_string(recordSize) + "|";
  for (const FieldDecl& f : fields) {
    s += f.name;
    s += ':';
    s += typeLetter(f.type);
    s += std::to_string(f.size);
    s += ',';
  }
  s += "|";
  for (const KeyDecl& k : keys) {
    s += k.name + ":" + std::to_string(k.flags) + ":";
    for (const KeyComponent& c : k.components) {
      if (c.descending) s += '-';
      s += fields[c.field].name;
      s += '+';
    }
    s += ';';
  }
  if (hasMemo()) s += "|memo:" + memoName + ":" + std::to_string(memoMax);
  if (keyedPositions) s += "|keyed";
  return s;
}

}  // namespace qv::engine
