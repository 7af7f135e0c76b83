// Writes the sample stores of samples/containers/ into the folder given.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tests/readers/container_samples.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: qv_container_samples FOLDER\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  for (const auto& [name, bytes] : qv::test::containerSamples()) {
    std::ofstream out(dir / name, std::ios::binary);
    out << bytes;
    if (!out) {
      std::cerr << "cannot write " << (dir / name).string() << "\n";
      return 1;
    }
  }
  return 0;
}
