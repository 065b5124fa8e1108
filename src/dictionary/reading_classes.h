#pragma once
// The five reading classes the conversion knows, in the order they are consulted, with the pieces
// that open, separate and close a class's group of readings, and the options of one run.

#include <QString>
#include <array>
#include <vector>

namespace ravlek {

struct ReadingClass {
  QChar character;        // the first character of Ptype
  const char* statement;  // the statement that selects the class's rows (UTF-8)
  const char* openingWithMark;
  const char* openingWithoutMark;
  const char* closing;
};

// 通 文 今 古 白, in consultation order.
const std::array<ReadingClass, 5>& ReadingClasses();

// The piece written between two readings of one group.
inline constexpr char16_t kReadingSeparator = u' ';
// Written after every non-blank character when the separator option is on.
QString CharacterSeparator();

struct ConversionOptions {
  bool ancient = false;     // 轉古音: consult 古 as well
  bool colloquial = false;  // 轉白話音: consult 白 as well
  bool classMarks = true;   // 音類標註: openings carry the class character
  bool separator = true;    // 換字 with 。: " 。 " after every non-blank character
};

// The classes a run consults: 通 文 今 always, then 古 and 白 when their options are on.
std::vector<const ReadingClass*> ConsultedClasses(const ConversionOptions& options);

}  // namespace ravlek
