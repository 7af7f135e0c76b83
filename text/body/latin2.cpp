// ISO-8859-2 (Latin-2) bytes as the stored Windows-1252 text writes them.
// Letters that both sets share keep their code; S and s with caron become
// their Windows-1252 codes; other letters with marks Latin-1 lacks become
// the plain letter, and marks without a letter become "?".
#include <array>

#include "text/body/body.h"

namespace qv::body {
namespace {

constexpr unsigned char kLatin2First = 160;

// One entry per Latin-2 byte 160 to 255.
constexpr std::array<unsigned char, 96> kLatin2{
    160, 65,  63,  76,  164, 76,  83,  167, 168, 138, 83,  84,  90,  173, 90,  90,   // 160-175
    176, 97,  63,  108, 180, 108, 115, 63,  184, 154, 115, 116, 122, 63,  122, 122,  // 176-191
    82,  193, 194, 65,  196, 76,  67,  199, 67,  201, 69,  203, 69,  205, 206, 68,   // 192-207
    68,  78,  78,  211, 212, 79,  214, 215, 82,  85,  218, 85,  220, 221, 84,  223,  // 208-223
    114, 225, 226, 97,  228, 108, 99,  231, 99,  233, 101, 235, 101, 237, 238, 100,  // 224-239
    100, 110, 110, 243, 244, 111, 246, 247, 114, 117, 250, 117, 252, 253, 116, 63,   // 240-255
};

}  // namespace

char fromLatin2(unsigned char c) {
  if (c < kLatin2First) return static_cast<char>(c);
  return static_cast<char>(kLatin2[c - kLatin2First]);
}

}  // namespace qv::body
