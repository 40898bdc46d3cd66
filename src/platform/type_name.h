// Readable names of C++ types, for models that report the name of their own class.
#pragma once

#include <string>
#include <typeinfo>

namespace cmdpredict {

// The qualified name of the type as written in source ("Quenmar::Intel::ContextTree").
std::string QualifiedTypeName(const std::type_info& type);

}  // namespace cmdpredict
