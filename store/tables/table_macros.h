#pragma once
// Helpers for declaring the system's tables: each table is a packed record
// struct carrying its file number, its keys and its declaration.

#include <cstddef>
#include <cstdint>

#include "store/engine/declaration.h"
#include "store/fixed_string.h"

namespace qv {

using engine::KeyRef;
using engine::TableDecl;

// The owner passwords of the protected tables; the same in every build.
inline constexpr const char* kOwnerPassword7 = "Qv47Arc";
inline constexpr const char* kOwnerPassword12 = "Qv470Keeper!";

// A declaration with the common parts filled in.
TableDecl makeDecl(const char* label, const char* prefix, int fileNo, engine::Driver driver, std::size_t size);

}  // namespace qv
