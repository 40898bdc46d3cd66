#include "support/json/json_text.h"

namespace cmdpredict {

std::string ToJsonText(const JsonValue& value) {
  using Buffer = rapidjson::GenericStringBuffer<rapidjson::UTF8<>, rapidjson::CrtAllocator>;
  Buffer buffer;
  rapidjson::Writer<Buffer> writer(buffer);
  writer.SetMaxDecimalPlaces(16);
  // The writer refuses NaN and infinities and stops half-way; half a text would read as garbage.
  if (!value.Rapid().Accept(writer)) return std::string();
  return std::string(buffer.GetString());
}

}  // namespace cmdpredict
