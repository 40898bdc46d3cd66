// Parses arbitrary bytes as a JSON text. Whatever parses must be written as text that parses again
// into the same value; anything else aborts. Depth, escapes, numbers and malformed input must
// neither crash nor leak (the sanitizers watch for that).
//
// "The same value" is exact for everything but doubles. A double need not survive byte for byte:
// the writer cuts fractions after 16 decimal places, and RapidJSON's normal-precision reader may
// land a few units in the last place away from the digits it reads, so the written text of the
// value read back can differ from the first one in its last digits.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/json/json_document.h"
#include "support/json/json_text.h"

namespace {

using cmdpredict::RapidValue;

bool NearlyEqual(double a, double b) {
  const double cutByTheWriter = 1e-16;
  const double readerUlps = 1e-15 * std::max(std::fabs(a), std::fabs(b));
  return std::fabs(a - b) <= cutByTheWriter + readerUlps;
}

bool SameValue(const RapidValue& a, const RapidValue& b);

bool SameElements(const RapidValue& a, const RapidValue& b) {
  if (a.Size() != b.Size()) return false;
  for (rapidjson::SizeType i = 0; i < a.Size(); ++i) {
    if (!SameValue(a[i], b[i])) return false;
  }
  return true;
}

// Members in the same order with the same names; duplicates included.
bool SameMembers(const RapidValue& a, const RapidValue& b) {
  if (a.MemberCount() != b.MemberCount()) return false;
  for (auto x = a.MemberBegin(), y = b.MemberBegin(); x != a.MemberEnd(); ++x, ++y) {
    if (x->name != y->name || !SameValue(x->value, y->value)) return false;
  }
  return true;
}

// Parsing bounds the depth to 1,024 levels, so this recursion is bounded too.
bool SameValue(const RapidValue& a, const RapidValue& b) {
  if (a.GetType() != b.GetType()) return false;
  if (a.IsArray()) return SameElements(a, b);
  if (a.IsObject()) return SameMembers(a, b);
  if (a.IsNumber() && (a.IsDouble() || b.IsDouble())) {
    return a.IsDouble() && b.IsDouble() && NearlyEqual(a.GetDouble(), b.GetDouble());
  }
  return a == b;  // exact for strings (length and bytes), integers and literals
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A std::string keeps a NUL after its bytes, which Parse needs; an earlier NUL ends the text.
  const std::string input(reinterpret_cast<const char*>(data), size);
  const cmdpredict::JsonDocumentPtr document = cmdpredict::CreateJsonDocument();
  const cmdpredict::JsonValue* value = document->Parse(input.c_str());
  if (document->HasParseError()) return 0;

  const std::string written = cmdpredict::ToJsonText(*value);
  const cmdpredict::JsonDocumentPtr reread = cmdpredict::CreateJsonDocument();
  const cmdpredict::JsonValue* again = reread->Parse(written.c_str());
  if (reread->HasParseError() || !SameValue(value->Rapid(), again->Rapid())) std::abort();
  return 0;
}
