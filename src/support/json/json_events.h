// Reading a JSON text as a stream of events, for a reader that builds its own structure as the text
// goes by instead of holding a document of it: the same rules and refusals as JsonDocument::Parse,
// and the same classification of values as GetType.
//
// Threading: none; a reading runs on its caller's thread.
#pragma once

#include <string_view>

#include "support/json/json_value.h"

namespace cmdpredict {

// What a text holds, in the order of the text. A handler that returns false stops the reading.
class JsonEventHandler {
 public:
  virtual ~JsonEventHandler() = default;

  virtual bool StartObject() = 0;
  // A member's name; its value follows.
  virtual bool Key(std::string_view name) = 0;
  virtual bool EndObject() = 0;
  virtual bool StartArray() = 0;
  virtual bool EndArray() = 0;
  // All of the string, NUL bytes included.
  virtual bool String(std::string_view text) = 0;
  // A number of type JsonType::Int.
  virtual bool Int(int number) = 0;
  // A number of type JsonType::Double.
  virtual bool Double(double number) = 0;
  // Any other value: its type is Null, Bool or LargeInteger.
  virtual bool OtherValue(JsonType type) = 0;
};

// Reads the NUL-terminated text (a null pointer counts as the empty text), passing each event to
// the handler. True when the text is one value that Parse accepts and the handler took every event.
bool ReadJsonEvents(const char* text, JsonEventHandler& handler);

}  // namespace cmdpredict
