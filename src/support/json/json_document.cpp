#include "support/json/json_document.h"

#include <utility>

#include "support/json/checked_reader.h"

namespace cmdpredict {
namespace {

// Feeds a RapidJSON document through the checks, for GenericDocument::Populate, which moves the
// value into the document when the parse succeeded and clears the partial values otherwise.
class CheckedParse {
 public:
  explicit CheckedParse(const char* text) : m_text(text) {}

  bool operator()(RapidDocument& document) {
    CheckedHandler<RapidDocument> checked(document);
    m_result = ReadChecked(m_text, checked);
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
