#pragma once

#include <string>

namespace tastiva {

// A modal message box. Style 0: one OK button, no icon. Returns when closed.
class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual void MsgBox(const std::string& prompt, int style, const std::string& title) = 0;
};

}  // namespace tastiva
