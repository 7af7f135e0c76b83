#pragma once
// Running a container reader over bytes in memory into a recording sink.

#include "readers/machinery/stepped_reader.h"
#include "tests/readers/container_writers.h"
#include "tests/readers/internet_helpers.h"

namespace qv::test {

inline StoreRun readWith(internet::SteppedReader& reader, const std::string& bytes, int budget = 1000) {
  StoreRun r;
  if (!reader.open(std::make_unique<internet::MemorySource>(bytes), "/no-such-folder/STORE", r.sink)) return r;
  while (!reader.step(r.sink, budget)) {
    if (++r.calls > static_cast<int>(bytes.size()) + 2) {
      ADD_FAILURE() << "the reader does not finish";
      break;
    }
  }
  return r;
}

}  // namespace qv::test
