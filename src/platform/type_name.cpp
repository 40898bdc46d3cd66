#include "platform/type_name.h"

#include <cstdlib>
#include <memory>

#if defined(__GNUC__) || defined(__clang__)
#include <cxxabi.h>
#endif

namespace cmdpredict {

std::string QualifiedTypeName(const std::type_info& type) {
#if defined(__GNUC__) || defined(__clang__)
  // The Itanium C++ ABI mangles names; its runtime demangles them.
  int status = 0;
  const std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
  if (status == 0 && demangled) return demangled.get();
  return type.name();
#else
  // MSVC names a class "class Namespace::Name".
  std::string name = type.name();
  for (const char* prefix : {"class ", "struct "}) {
    if (name.rfind(prefix, 0) == 0) return name.substr(std::char_traits<char>::length(prefix));
  }
  return name;
#endif
}

}  // namespace cmdpredict
