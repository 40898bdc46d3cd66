#include "support/json/json_value.h"

#include <cstddef>
#include <iterator>
#include <utility>

#include "support/json/error_report.h"

namespace cmdpredict {
namespace {

// The file text, codes and line numbers of the layer's reports, as a host's handler knows them.
constexpr char kReportFile[] = "JSON_JsonDocument";

constexpr int kNullReferenceCode = 68;
constexpr int kNotIntCode = 4570002;
constexpr int kNotDoubleCode = 4570003;
constexpr int kNotStringCode = 4570004;
constexpr int kNotArrayCode = 4570005;
constexpr int kNotObjectCode = 4570006;
constexpr int kIndexOutOfRangeCode = 4570007;

constexpr int kNullReferenceLine = 83;
constexpr int kGetIntLine = 604;
constexpr int kGetDoubleLine = 625;
constexpr int kGetStringLine = 679;
constexpr int kGetArraySizeLine = 724;
constexpr int kGetArrayElementNotArrayLine = 848;
constexpr int kGetArrayElementIndexLine = 850;
constexpr int kFindMemberLine = 870;
constexpr int kAppendJsonArrayElementLine = 890;
constexpr int kAddMemberLine = 954;

const char* TextOrEmpty(const char* text) { return text != nullptr ? text : ""; }

const char* KindNameOf(const RapidValue& value) { return JsonKindName(value.GetType()); }

bool IsContainer(const RapidValue& value) { return value.IsArray() || value.IsObject(); }

// Moves the arrays and objects directly inside `value` onto `pending`, leaving nulls behind.
void MoveNestedContainers(RapidValue& value, std::vector<RapidValue>& pending) {
  if (value.IsArray()) {
    for (RapidValue* element = value.Begin(); element != value.End(); ++element) {
      if (IsContainer(*element)) pending.push_back(std::move(*element));
    }
  } else if (value.IsObject()) {
    for (auto member = value.MemberBegin(); member != value.MemberEnd(); ++member) {
      if (IsContainer(member->value)) pending.push_back(std::move(member->value));
    }
  }
}

// RapidJSON's destructor recurses once per level of nesting. Tearing every nested container off
// onto a heap stack first leaves it only values without nested containers to destroy, so a value
// built deeper than any machine stack still goes away.
void FlattenBeforeDestruction(RapidValue& value) {
  std::vector<RapidValue> pending;
  MoveNestedContainers(value, pending);
  while (!pending.empty()) {
    RapidValue current(std::move(pending.back()));
    pending.pop_back();
    MoveNestedContainers(current, pending);
  }
}

bool IsReferenced(JsonReference value) {
  if (!value.IsNull()) return true;
  ReportError(kReportFile, kNullReferenceLine, kNullReferenceCode, "reference is null");
  return false;
}

JsonType NumberType(const RapidValue& value) {
  if (value.IsInt()) return JsonType::Int;
  if (value.IsDouble()) return JsonType::Double;
  if (value.IsInt64()) return JsonType::LargeInteger;
  return JsonType::Null;  // fits only unsigned 64 bits
}

JsonType TypeOf(const RapidValue& value) {
  switch (value.GetType()) {
    case rapidjson::kFalseType:
    case rapidjson::kTrueType:
      return JsonType::Bool;
    case rapidjson::kObjectType:
      return JsonType::Object;
    case rapidjson::kArrayType:
      return JsonType::Array;
    case rapidjson::kStringType:
      return JsonType::String;
    case rapidjson::kNumberType:
      return NumberType(value);
    case rapidjson::kNullType:
      break;
  }
  return JsonType::Null;
}

int IntOf(const RapidValue& value) {
  if (value.IsInt()) return value.GetInt();
  ReportError(kReportFile, kGetIntLine, kNotIntCode, "%s is not an int", KindNameOf(value));
  return 0;
}

double DoubleOf(const RapidValue& value) {
  // RapidJSON's own conversion tests double, int, unsigned, int64 and uint64 in that order.
  if (value.IsDouble() || value.IsInt64()) return value.GetDouble();
  ReportError(kReportFile, kGetDoubleLine, kNotDoubleCode, "%s is not a double or large integer",
              KindNameOf(value));
  return 0.0;
}

std::string StringOf(const RapidValue& value) {
  // RapidJSON keeps a NUL after every string, so reading up to the first NUL stays inside it.
  if (value.IsString()) return std::string(value.GetString());
  ReportError(kReportFile, kGetStringLine, kNotStringCode, "%s is not a string", KindNameOf(value));
  return std::string();
}

std::size_t ArraySizeOf(const RapidValue& value) {
  if (value.IsArray()) return value.Size();
  ReportError(kReportFile, kGetArraySizeLine, kNotArrayCode, "%s is not an array", KindNameOf(value));
  return 0;
}

JsonReference ElementOf(const RapidValue& array, std::size_t index) {
  if (!array.IsArray()) {
    ReportError(kReportFile, kGetArrayElementNotArrayLine, kNotArrayCode, "%s is not an array",
                KindNameOf(array));
    return JsonReference();
  }
  if (index >= array.Size()) {
    ReportError(kReportFile, kGetArrayElementIndexLine, kIndexOutOfRangeCode,
                "index %zd out of range for array", static_cast<std::ptrdiff_t>(index));
    return JsonReference();
  }
  return JsonReference(&array[static_cast<rapidjson::SizeType>(index)]);
}

JsonReference MemberOf(const RapidValue& object, const char* name) {
  if (!object.IsObject()) {
    ReportError(kReportFile, kFindMemberLine, kNotObjectCode, "%s is not an object", KindNameOf(object));
    return JsonReference();
  }
  const auto member = object.FindMember(TextOrEmpty(name));
  return member == object.MemberEnd() ? JsonReference() : JsonReference(&member->value);
}

}  // namespace

const char* JsonTypeName(JsonType type) {
  static const char* const kNames[] = {"null", "int", "string", "double", "bool", "object", "array"};
  const int number = static_cast<int>(type);
  return number >= 0 && number < static_cast<int>(std::size(kNames)) ? kNames[number] : "*unknown*";
}

const char* JsonKindName(int kind) {
  static const char* const kNames[] = {"null", "false", "true", "object", "array", "string", "number"};
  return kind >= 0 && kind < static_cast<int>(std::size(kNames)) ? kNames[kind] : "*unknown*";
}

JsonValue::JsonValue(int number) : m_value(number) {}

JsonValue::JsonValue(double number) : m_value(number) {}

JsonValue::JsonValue(const char* text) {
  rapidjson::CrtAllocator allocator;
  m_value.SetString(TextOrEmpty(text), allocator);
}

JsonValue::JsonValue(RapidValue&& value) noexcept : m_value(std::move(value)) {}

JsonValue::JsonValue(JsonValue&& other) noexcept : m_value(std::move(other.m_value)) {}

JsonValue& JsonValue::operator=(JsonValue&& other) noexcept {
  // The previous content leaves with `taken`, whose destructor keeps the machine stack flat.
  JsonValue taken(std::move(other));
  m_value.Swap(taken.m_value);
  return *this;
}

JsonValue::~JsonValue() { FlattenBeforeDestruction(m_value); }

JsonValue MakeJsonObject() { return JsonValue(RapidValue(rapidjson::kObjectType)); }

JsonValue MakeJsonArray(const std::vector<JsonValue>& elements) {
  rapidjson::CrtAllocator allocator;
  RapidValue array(rapidjson::kArrayType);
  array.Reserve(static_cast<rapidjson::SizeType>(elements.size()), allocator);
  for (const JsonValue& element : elements) array.PushBack(RapidValue(element.Rapid(), allocator), allocator);
  return JsonValue(std::move(array));
}

void AppendJsonArrayElement(JsonValue& array, JsonValue& element) {
  if (!array.Rapid().IsArray()) {
    ReportError(kReportFile, kAppendJsonArrayElementLine, kNotArrayCode, "%s is not an array",
                KindNameOf(array.Rapid()));
    return;
  }
  rapidjson::CrtAllocator allocator;
  array.Rapid().PushBack(element.Rapid(), allocator);
}

JsonValue CopyJsonValue(const JsonValue& value) {
  rapidjson::CrtAllocator allocator;
  return JsonValue(RapidValue(value.Rapid(), allocator));
}

JsonValue CopyJsonValue(JsonReference value) {
  if (value.IsNull()) return JsonValue();
  rapidjson::CrtAllocator allocator;
  return JsonValue(RapidValue(*value.Rapid(), allocator));
}

JsonType GetType(const JsonValue& value) { return TypeOf(value.Rapid()); }

JsonType GetType(JsonReference value) { return value.IsNull() ? JsonType::Missing : TypeOf(*value.Rapid()); }

int GetInt(const JsonValue& value) { return IntOf(value.Rapid()); }

int GetInt(JsonReference value) { return IsReferenced(value) ? IntOf(*value.Rapid()) : 0; }

double GetDouble(const JsonValue& value) { return DoubleOf(value.Rapid()); }

double GetDouble(JsonReference value) { return IsReferenced(value) ? DoubleOf(*value.Rapid()) : 0.0; }

std::string GetString(const JsonValue& value) { return StringOf(value.Rapid()); }

std::string GetString(JsonReference value) {
  return IsReferenced(value) ? StringOf(*value.Rapid()) : std::string();
}

std::size_t GetArraySize(const JsonValue& value) { return ArraySizeOf(value.Rapid()); }

std::size_t GetArraySize(JsonReference value) {
  return IsReferenced(value) ? ArraySizeOf(*value.Rapid()) : 0;
}

JsonReference GetArrayElement(const JsonValue& array, std::size_t index) {
  return ElementOf(array.Rapid(), index);
}

JsonReference GetArrayElement(JsonReference array, std::size_t index) {
  return IsReferenced(array) ? ElementOf(*array.Rapid(), index) : JsonReference();
}

JsonReference FindMember(const JsonValue& object, const char* name) { return MemberOf(object.Rapid(), name); }

JsonReference FindMember(JsonReference object, const char* name) {
  return IsReferenced(object) ? MemberOf(*object.Rapid(), name) : JsonReference();
}

void AddMember(JsonValue& object, const char* name, JsonValue& value) {
  if (!object.Rapid().IsObject()) {
    // Unlike FindMember, this report names the layer's type of the value, not its kind.
    ReportError(kReportFile, kAddMemberLine, kNotObjectCode, "%s is not an object",
                JsonTypeName(GetType(object)));
    return;
  }
  rapidjson::CrtAllocator allocator;
  RapidValue copiedName(TextOrEmpty(name), allocator);
  object.Rapid().AddMember(copiedName, value.Rapid(), allocator);
}

}  // namespace cmdpredict
