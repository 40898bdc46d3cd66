// The COM string class that keys the host's command-identifier lists. Windows provides it in
// <comutil.h>; elsewhere this small stand-in has the same observable behaviour: a value is either
// null or holds a (possibly empty) UTF-16 text, copies share the text through a reference count,
// and values order by their code units, a prefix before the longer text (null orders as empty).
#pragma once

#include "cmdpredict/platform_types.h"

#if !defined(_WIN32)
#include <memory>

class _bstr_t {
 public:
  _bstr_t() noexcept = default;
  _bstr_t(const cmdpredict::WChar* text)  // NOLINT(google-explicit-constructor): as on Windows
      : m_text(text ? std::make_shared<const cmdpredict::WString>(text) : nullptr) {}

  // The text, or null for a null value. Valid while any copy sharing the text lives.
  operator const cmdpredict::WChar*() const noexcept { return m_text ? m_text->c_str() : nullptr; }
  bool operator!() const noexcept { return !m_text; }
  unsigned int length() const noexcept { return m_text ? static_cast<unsigned int>(m_text->size()) : 0U; }

  bool operator==(const _bstr_t& other) const noexcept { return Compare(other) == 0; }
  bool operator!=(const _bstr_t& other) const noexcept { return Compare(other) != 0; }
  bool operator<(const _bstr_t& other) const noexcept { return Compare(other) < 0; }
  bool operator>(const _bstr_t& other) const noexcept { return Compare(other) > 0; }
  bool operator<=(const _bstr_t& other) const noexcept { return Compare(other) <= 0; }
  bool operator>=(const _bstr_t& other) const noexcept { return Compare(other) >= 0; }

 private:
  int Compare(const _bstr_t& other) const noexcept {
    if (m_text == other.m_text) return 0;
    static const cmdpredict::WString empty;
    return (m_text ? *m_text : empty).compare(other.m_text ? *other.m_text : empty);
  }

  std::shared_ptr<const cmdpredict::WString> m_text;
};
#endif
