#include "support/logging/sys_logger.h"

#include <iostream>

namespace cmdpredict {

SysLogger& SysLogger::Instance() {
  static SysLogger logger;
  return logger;
}

SysLogger& SysLogger::operator<<(const char* text) {
  // Inserting a null pointer into a standard stream is undefined behaviour.
  if (text != nullptr) std::cout << text;
  return *this;
}

SysLogger& SysLogger::operator<<(const std::string& text) {
  std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
  return *this;
}

SysLogger& SysLogger::operator<<(LogSeparator) { return *this << " ,"; }

SysLogger& SysLogger::operator<<(LogTerminator) { return *this << " . "; }

}  // namespace cmdpredict
