// JSON values for the model files: owned values on the C runtime heap, non-owning references into
// them, their classification, typed read access, and object and array building.
//
// A getter applied to the wrong type, a null reference or an index out of range reports through
// ReportError (file text "JSON_JsonDocument") and returns a neutral result: 0, 0.0, "", size 0 or
// a null reference. Nothing here throws on its own account. A null `const char*` text counts as
// the empty text.
//
// Threading: none; a value is used from one thread at a time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "support/json/rapidjson_config.h"

namespace cmdpredict {

// The layer's classification of a value. The numbers are part of the interface.
enum class JsonType : int {
  Null = 0,  // null; also an integer that fits only unsigned 64 bits
  Int = 1,   // an integer that fits a signed 32-bit integer
  String = 2,
  Double = 3,  // written with a fraction or exponent, or too large for 64 bits
  Bool = 4,
  Object = 5,
  Array = 6,
  LargeInteger = 7,  // an integer outside 32 signed bits that fits a signed 64-bit integer
  Missing = 100,     // only from GetType of a null JsonReference
};

// "null", "int", "string", "double", "bool", "object", "array" for 0 to 6; "*unknown*" otherwise.
const char* JsonTypeName(JsonType type);

// The name of a RapidJSON value kind: 0 "null", 1 "false", 2 "true", 3 "object", 4 "array",
// 5 "string", 6 "number"; "*unknown*" otherwise.
const char* JsonKindName(int kind);

// An owned JSON value. Moving leaves the source null; deep copies are explicit (CopyJsonValue).
// Destruction needs machine stack independent of the value's depth.
class JsonValue {
 public:
  JsonValue() = default;  // null
  explicit JsonValue(int number);
  explicit JsonValue(double number);
  // A string holding a copy of the text up to its NUL.
  explicit JsonValue(const char* text);
  // Takes the content of a RapidJSON value, which becomes null.
  explicit JsonValue(RapidValue&& value) noexcept;

  JsonValue(JsonValue&& other) noexcept;
  JsonValue& operator=(JsonValue&& other) noexcept;
  JsonValue(const JsonValue&) = delete;
  JsonValue& operator=(const JsonValue&) = delete;
  ~JsonValue();

  // The RapidJSON value underneath, for the layer's own code and its benchmarks.
  const RapidValue& Rapid() const { return m_value; }
  RapidValue& Rapid() { return m_value; }

 private:
  RapidValue m_value;
};

// A non-owning pointer to a value inside a document or inside another value; may be null. It stays
// valid while the value that contains the referenced one is neither changed nor destroyed.
class JsonReference {
 public:
  JsonReference() = default;  // null
  explicit JsonReference(const RapidValue* value) : m_value(value) {}
  explicit JsonReference(const JsonValue& value) : m_value(&value.Rapid()) {}

  bool IsNull() const { return m_value == nullptr; }
  const RapidValue* Rapid() const { return m_value; }

 private:
  const RapidValue* m_value = nullptr;
};

JsonValue MakeJsonObject();
// An array with capacity for exactly the elements, holding deep copies of them in order.
// Each copy walks its element; to build large arrays, prefer AppendJsonArrayElement.
JsonValue MakeJsonArray(const std::vector<JsonValue>& elements);
// Moves the element onto the end of the array; the element becomes null. A non-array is reported
// like GetArraySize does (code 4570005, line 890) and both values are left unchanged.
void AppendJsonArrayElement(JsonValue& array, JsonValue& element);

// A deep copy; of a null reference, a null value (without a report). Like writing a value as
// text, copying recurses as deep as the value, which parsing bounds to 1,024 levels.
JsonValue CopyJsonValue(const JsonValue& value);
JsonValue CopyJsonValue(JsonReference value);

// The reference forms report a null reference (code 68) before applying the value form;
// GetType instead answers Missing without a report.
JsonType GetType(const JsonValue& value);
JsonType GetType(JsonReference value);
// The number of an Int value.
int GetInt(const JsonValue& value);
int GetInt(JsonReference value);
// The nearest double to any number of type Int, Double or LargeInteger.
double GetDouble(const JsonValue& value);
double GetDouble(JsonReference value);
// The text of a string value, up to its first NUL byte.
std::string GetString(const JsonValue& value);
std::string GetString(JsonReference value);
std::size_t GetArraySize(const JsonValue& value);
std::size_t GetArraySize(JsonReference value);
JsonReference GetArrayElement(const JsonValue& array, std::size_t index);
JsonReference GetArrayElement(JsonReference array, std::size_t index);

// The value of the first member whose name has the same bytes as `name` (up to its NUL), or a null
// reference when there is none. The reference form reads nested objects.
JsonReference FindMember(const JsonValue& object, const char* name);
JsonReference FindMember(JsonReference object, const char* name);

// Appends a member named by a copy of `name` and moves `value` in (it becomes null). Existing
// members of that name are kept, so names may repeat. A non-object is reported (code 4570006)
// and both values are left unchanged.
void AddMember(JsonValue& object, const char* name, JsonValue& value);

}  // namespace cmdpredict
