#include "support/json/json_events.h"

#include <cstdint>
#include <limits>

#include "support/json/checked_reader.h"

namespace cmdpredict {
namespace {

// Turns RapidJSON's events into the layer's, with numbers classified as a document's values are,
// by their value: the reader reports a non-negative integer as unsigned whatever its size.
class EventAdapter {
 public:
  explicit EventAdapter(JsonEventHandler& handler) : m_handler(handler) {}

  bool Null() { return m_handler.OtherValue(JsonType::Null); }
  bool Bool(bool /*value*/) { return m_handler.OtherValue(JsonType::Bool); }
  bool Int(int value) { return m_handler.Int(value); }
  bool Uint(unsigned value) { return Uint64(value); }
  bool Int64(std::int64_t value) {
    if (value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max())
      return m_handler.Int(static_cast<int>(value));
    return m_handler.OtherValue(JsonType::LargeInteger);
  }
  bool Uint64(std::uint64_t value) {
    if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
      return Int64(static_cast<std::int64_t>(value));
    return m_handler.OtherValue(JsonType::Null);  // fits only unsigned 64 bits
  }
  bool Double(double value) { return m_handler.Double(value); }
  bool RawNumber(const char* /*text*/, rapidjson::SizeType /*length*/, bool /*copy*/) { return false; }
  bool String(const char* text, rapidjson::SizeType length, bool /*copy*/) {
    return m_handler.String(std::string_view(text, length));
  }
  bool Key(const char* text, rapidjson::SizeType length, bool /*copy*/) {
    return m_handler.Key(std::string_view(text, length));
  }
  bool StartObject() { return m_handler.StartObject(); }
  bool EndObject(rapidjson::SizeType /*memberCount*/) { return m_handler.EndObject(); }
  bool StartArray() { return m_handler.StartArray(); }
  bool EndArray(rapidjson::SizeType /*elementCount*/) { return m_handler.EndArray(); }

 private:
  JsonEventHandler& m_handler;
};

}  // namespace

bool ReadJsonEvents(const char* text, JsonEventHandler& handler) {
  EventAdapter adapter(handler);
  CheckedHandler<EventAdapter> checked(adapter);
  return !ReadChecked(text != nullptr ? text : "", checked).IsError();
}

}  // namespace cmdpredict
