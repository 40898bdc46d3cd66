// A parsed JSON text: a heap object that parses a NUL-terminated text once and keeps its root.
//
// Parsing follows RapidJSON's default rules (no comments, no trailing commas, no NaN or Infinity,
// exactly one value, strings not validated) and never crashes: a text nested deeper than
// kMaxJsonNesting arrays and objects is refused like any other malformed text, and so is a number
// too large for a double, even one that RapidJSON itself would round to infinity.
//
// Threading: none; a document is used from one thread at a time.
#pragma once

#include <memory>

#include "support/json/checked_reader.h"
#include "support/json/json_value.h"

namespace cmdpredict {

class JsonDocument;

// Destroys the root value, then the RapidJSON document, then the object. Null is ignored.
void DestroyJsonDocument(JsonDocument* document);

struct JsonDocumentDeleter {
  void operator()(JsonDocument* document) const { DestroyJsonDocument(document); }
};
using JsonDocumentPtr = std::unique_ptr<JsonDocument, JsonDocumentDeleter>;

// An empty document with a null root, owned by the caller.
JsonDocumentPtr CreateJsonDocument();

class JsonDocument {
 public:
  JsonDocument(const JsonDocument&) = delete;
  JsonDocument& operator=(const JsonDocument&) = delete;

  // Parses the text (a null pointer counts as the empty text) and returns the root, which the
  // document owns: the parsed value, or null when the text is malformed. Never reports.
  JsonValue* Parse(const char* text);
  // True when the last Parse refused its text.
  bool HasParseError() const { return m_parseResult.IsError(); }

 private:
  friend JsonDocumentPtr CreateJsonDocument();
  JsonDocument() = default;

  RapidDocument m_document;  // holds null between parses; the parsed value moves to m_root
  JsonValue m_root;
  rapidjson::ParseResult m_parseResult;
};

}  // namespace cmdpredict
