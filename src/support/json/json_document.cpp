#include "support/json/json_document.h"

#include <cmath>
#include <utility>

namespace cmdpredict {
namespace {

// Passes the reader's events on to the document, refusing two things, which makes the parse fail
// like any other error:
// - a level of nesting beyond kMaxJsonNesting. The reader descends recursively, one call per
//   level, so stopping it here bounds its use of the machine stack.
// - a number that reads as infinite. RapidJSON refuses numbers whose exponent is too large, but
//   lets those just above the largest double (1.7976931348626e308) round to infinity, which no
//   writer can put back into a file.
class CheckedHandler {
 public:
  explicit CheckedHandler(RapidDocument& document) : m_document(document) {}

  bool Null() { return m_document.Null(); }
  bool Bool(bool value) { return m_document.Bool(value); }
  bool Int(int value) { return m_document.Int(value); }
  bool Uint(unsigned value) { return m_document.Uint(value); }
  bool Int64(std::int64_t value) { return m_document.Int64(value); }
  bool Uint64(std::uint64_t value) { return m_document.Uint64(value); }
  bool Double(double value) { return std::isfinite(value) && m_document.Double(value); }
  // Part of the reader's handler interface; only a flag this parse does not set makes it call it.
  bool RawNumber(const char* text, rapidjson::SizeType length, bool copy) {
    return m_document.RawNumber(text, length, copy);
  }
  bool String(const char* text, rapidjson::SizeType length, bool copy) {
    return m_document.String(text, length, copy);
  }
  bool Key(const char* text, rapidjson::SizeType length, bool copy) {
    return m_document.Key(text, length, copy);
  }
  bool StartObject() { return Enter() && m_document.StartObject(); }
  bool EndObject(rapidjson::SizeType memberCount) {
    --m_depth;
    return m_document.EndObject(memberCount);
  }
  bool StartArray() { return Enter() && m_document.StartArray(); }
  bool EndArray(rapidjson::SizeType elementCount) {
    --m_depth;
    return m_document.EndArray(elementCount);
  }

 private:
  bool Enter() { return ++m_depth <= kMaxJsonNesting; }

  RapidDocument& m_document;
  int m_depth = 0;
};

// Feeds a RapidJSON document through the checks, for GenericDocument::Populate, which moves the
// value into the document when the parse succeeded and clears the partial values otherwise.
class CheckedParse {
 public:
  explicit CheckedParse(const char* text) : m_text(text) {}

  bool operator()(RapidDocument& document) {
    CheckedHandler handler(document);
    rapidjson::GenericStringStream<rapidjson::UTF8<>> stream(m_text);
    rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, rapidjson::CrtAllocator> reader;
    m_result = reader.Parse<rapidjson::kParseDefaultFlags>(stream, handler);
    return !m_result.IsError();
  }

  const rapidjson::ParseResult& Result() const { return m_result; }

 private:
  const char* m_text;
  rapidjson::ParseResult m_result;
};

}  // namespace

void DestroyJsonDocument(JsonDocument* document) { delete document; }

JsonDocumentPtr CreateJsonDocument() { return JsonDocumentPtr(new JsonDocument()); }

JsonValue* JsonDocument::Parse(const char* text) {
  CheckedParse parse(text != nullptr ? text : "");
  m_document.Populate(parse);
  m_parseResult = parse.Result();
  // After a failed parse the document still holds the null it held before.
  m_root = JsonValue(std::move(static_cast<RapidValue&>(m_document)));
  return &m_root;
}

}  // namespace cmdpredict
