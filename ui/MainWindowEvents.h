#pragma once

#include <cstdint>

namespace tastiva {

// The main window's event handlers, named after their control and event. The window
// system calls them; the program's behaviour implements them.
class MainWindowEvents {
 public:
  virtual ~MainWindowEvents() = default;

  virtual void key_KeyDown(std::int16_t index, std::int16_t keyCode, std::int16_t shift) = 0;
  virtual void key_KeyUp(std::int16_t index, std::int16_t keyCode, std::int16_t shift) = 0;
  virtual void key_MouseDown(std::int16_t index, std::int16_t button, std::int16_t shift, float x,
                             float y) = 0;
  virtual void key_MouseMove(std::int16_t index, std::int16_t button, std::int16_t shift, float x,
                             float y) = 0;
  virtual void key_MouseUp(std::int16_t index, std::int16_t button, std::int16_t shift, float x,
                           float y) = 0;

  virtual void List1_Click() = 0;
  virtual void List1_KeyDown(std::int16_t& keyCode, std::int16_t& shift) = 0;
  virtual void List1_MouseDown(std::int16_t button, std::int16_t shift, float x, float y) = 0;
  virtual void lst_sound_list_Click() = 0;
  virtual void lst_sound_list_KeyDown(std::int16_t& keyCode, std::int16_t& shift) = 0;
  virtual void lst_sound_list_MouseDown(std::int16_t button, std::int16_t shift, float x,
                                        float y) = 0;

  virtual void Form_QueryUnload(std::int16_t& cancel, std::int16_t unloadMode) = 0;
  // Another window took the keyboard (not one of the program's own boxes, whose releases the
  // window gets once they close): keys held on it will not report their release here.
  virtual void Form_Deactivate() = 0;
};

}  // namespace tastiva
