// The reading rules of the JSON layer, shared by the document and the event reader: RapidJSON's
// default rules (no comments, no trailing commas, no NaN or Infinity, exactly one value, strings
// not validated), and two refusals of its own.
#pragma once

#include <cmath>
#include <cstdint>

#include "support/json/rapidjson_config.h"

namespace cmdpredict {

// The deepest nesting of arrays and objects that is read. It bounds the machine stack that the
// recursive reader needs.
inline constexpr int kMaxJsonNesting = 1024;

// Passes the reader's events on to `Inner`, refusing two things, which makes the reading fail like
// any other error:
// - a level of nesting beyond kMaxJsonNesting. The reader descends recursively, one call per
//   level, so stopping it here bounds its use of the machine stack.
// - a number that reads as infinite. RapidJSON refuses numbers whose exponent is too large, but
//   lets those just above the largest double (1.7976931348626e308) round to infinity, which no
//   writer can put back into a file.
template <typename Inner>
class CheckedHandler {
 public:
  explicit CheckedHandler(Inner& inner) : m_inner(inner) {}

  bool Null() { return m_inner.Null(); }
  bool Bool(bool value) { return m_inner.Bool(value); }
  bool Int(int value) { return m_inner.Int(value); }
  bool Uint(unsigned value) { return m_inner.Uint(value); }
  bool Int64(std::int64_t value) { return m_inner.Int64(value); }
  bool Uint64(std::uint64_t value) { return m_inner.Uint64(value); }
  bool Double(double value) { return std::isfinite(value) && m_inner.Double(value); }
  // Part of the reader's handler interface; only a flag that is never set makes it call it.
  bool RawNumber(const char* text, rapidjson::SizeType length, bool copy) {
    return m_inner.RawNumber(text, length, copy);
  }
  bool String(const char* text, rapidjson::SizeType length, bool copy) {
    return m_inner.String(text, length, copy);
  }
  bool Key(const char* text, rapidjson::SizeType length, bool copy) {
    return m_inner.Key(text, length, copy);
  }
  bool StartObject() { return Enter() && m_inner.StartObject(); }
  bool EndObject(rapidjson::SizeType memberCount) {
    --m_depth;
    return m_inner.EndObject(memberCount);
  }
  bool StartArray() { return Enter() && m_inner.StartArray(); }
  bool EndArray(rapidjson::SizeType elementCount) {
    --m_depth;
    return m_inner.EndArray(elementCount);
  }

 private:
  bool Enter() { return ++m_depth <= kMaxJsonNesting; }

  Inner& m_inner;
  int m_depth = 0;
};

// Reads the NUL-terminated text under these rules, passing its events to `checked`.
template <typename Inner>
rapidjson::ParseResult ReadChecked(const char* text, CheckedHandler<Inner>& checked) {
  rapidjson::GenericStringStream<rapidjson::UTF8<>> stream(text);
  rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, rapidjson::CrtAllocator> reader;
  return reader.Parse<rapidjson::kParseDefaultFlags>(stream, checked);
}

}  // namespace cmdpredict
