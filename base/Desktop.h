#pragma once

namespace tastiva {

// What start-up and shutdown need of the desktop and the process.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // Whether another copy of the program is running.
  virtual bool PrevInstance() = 0;
  // Day of the month (1 to 31) of the current local date.
  virtual int Day() = 0;
  // Shows the notice window modally; returns when the user has closed it.
  virtual void ShowNotice() = 0;
  // Ends the process at once; nothing runs after it.
  virtual void End() = 0;
};

}  // namespace tastiva
