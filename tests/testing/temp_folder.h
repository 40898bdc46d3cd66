// A fresh, empty folder for one test, removed with everything in it when the object goes.
#pragma once

#include <string>

namespace cmdpredict {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return m_path; }
  // The path of an entry of the folder.
  std::string File(const std::string& name) const;

 private:
  std::string m_path;
};

}  // namespace cmdpredict
