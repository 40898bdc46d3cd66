// How every Env names the temporary files through which it replaces a file, the same on every
// platform: ".<target's name>.<16 upper-case hex digits>.tmp", in the target's folder
// (".E1.ContextTree.0123456789ABCDEF.tmp" for E1.ContextTree). A temporary is named after its target,
// so that a later save of the same target finds and removes those that a killed save left behind;
// the ".tmp" ending keeps every reader of the library's files from taking one for what it replaces,
// and the leading dot hides it where the system hides such names.
#pragma once

#include <cstdint>
#include <string>

namespace cmdpredict {

// The path up to and including its last separator; empty when it has none.
std::string FolderPartOf(const std::string& path);

// The temporary of the target path that the number names.
std::string TemporaryPathFor(const std::string& target, std::uint64_t number);

// True when the name (without a folder) is one that TemporaryPathFor gives the target's name.
bool IsTemporaryNameOf(const std::string& name, const std::string& targetName);

// True when the name (without a folder) is one that TemporaryPathFor gives some target.
bool IsTemporaryName(const std::string& name);

// A number for a new temporary, drawn afresh from the system's source of randomness on each call, so
// that processes that started alike (forked, or with the same process id in a container) still draw
// different ones.
std::uint64_t NewTemporaryNumber();

}  // namespace cmdpredict
