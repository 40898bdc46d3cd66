// The contents of a file handed over piece by piece, so that a large file need never be in memory
// whole: what the file services take, and what the model files are written through.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace cmdpredict {

// Takes the contents of a file piece by piece, in order.
class ContentSink {
 public:
  virtual ~ContentSink() = default;
  // False when the piece could not be taken; the writer then stops.
  virtual bool Append(std::string_view piece) = 0;
};

// Gathers the pieces into one string.
class StringSink final : public ContentSink {
 public:
  bool Append(std::string_view piece) override {
    contents.append(piece);
    return true;
  }
  std::string contents;
};

// Hands a file's whole contents to the sink, piece by piece; false to give up the file.
using ContentWriter = std::function<bool(ContentSink&)>;

}  // namespace cmdpredict
