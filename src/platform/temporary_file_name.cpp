#include "platform/temporary_file_name.h"

#include <random>

#include "platform/paths.h"

namespace cmdpredict {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kNumberDigits = 16;
constexpr char kEnding[] = ".tmp";
constexpr std::size_t kEndingSize = sizeof kEnding - 1;

bool IsUpperCaseHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

}  // namespace

std::string FolderPartOf(const std::string& path) {
  return path.substr(0, path.find_last_of(kPathSeparators) + 1);
}

std::string TemporaryPathFor(const std::string& target, std::uint64_t number) {
  const std::string folder = FolderPartOf(target);
  std::string path = folder + '.' + target.substr(folder.size()) + '.';
  for (int shift = 60; shift >= 0; shift -= 4) path += kHexDigits[(number >> shift) & 0xF];
  return path + kEnding;
}

bool IsTemporaryNameOf(const std::string& name, const std::string& targetName) {
  const std::size_t numberStart = 1 + targetName.size() + 1;
  if (name.size() != numberStart + kNumberDigits + kEndingSize) return false;
  if (name[0] != '.' || name.compare(1, targetName.size(), targetName) != 0 || name[numberStart - 1] != '.') {
    return false;
  }
  for (std::size_t i = numberStart; i < numberStart + kNumberDigits; ++i) {
    if (!IsUpperCaseHexDigit(name[i])) return false;
  }
  return name.compare(numberStart + kNumberDigits, kEndingSize, kEnding) == 0;
}

bool IsTemporaryName(const std::string& name) {
  constexpr std::size_t kAddedSize = 1 + 1 + kNumberDigits + kEndingSize;
  return name.size() > kAddedSize && IsTemporaryNameOf(name, name.substr(1, name.size() - kAddedSize));
}

std::uint64_t NewTemporaryNumber() {
  std::random_device source;
  const std::uint64_t high = source();
  return (high << 32) ^ source();
}

}  // namespace cmdpredict
