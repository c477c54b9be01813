#pragma once

#include <QLabel>
#include <QWidget>
#include <array>
#include <memory>

#include "ui/KeyButton.h"
#include "ui/KeyCaptions.h"
#include "ui/Layout.h"
#include "ui/ListBox.h"

namespace tastiva {

class BriefPress;
class HeldInput;
class MainWindowEvents;

// The main window: 32 keys, the device list and the instrument list with their labels,
// built from the layout tables at a fixed size.
class MainWindow final : public QWidget {
 public:
  explicit MainWindow(QWidget* parent = nullptr);
  // Hiding on the way out runs no handler.
  ~MainWindow() override { SetEvents(nullptr); }

  void SetEvents(MainWindowEvents* events);

  KeyButton& key(int index) { return *keys_.at(static_cast<std::size_t>(index)); }
  ListBox& List1() { return *deviceList_; }
  ListBox& lst_sound_list() { return *soundList_; }
  QLabel& Label1() { return *deviceLabel_; }
  QLabel& Label2() { return *instrumentLabel_; }

  // Shows the window centred on its screen.
  void ShowCentred();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateKey(int index);
  QLabel* CreateLabel(std::string_view caption, const layout::Rect& rect);
  void SetTabOrder();
  void ShowCaptions();

  std::array<KeyButton*, layout::kKeyCount> keys_{};
  ListBox* deviceList_ = nullptr;
  ListBox* soundList_ = nullptr;
  QLabel* deviceLabel_ = nullptr;
  QLabel* instrumentLabel_ = nullptr;
  MainWindowEvents* events_ = nullptr;
  HeldInput* heldInput_ = nullptr;
  BriefPress* briefPress_ = nullptr;
  std::unique_ptr<LayoutSource> layoutSource_;
};

}  // namespace tastiva
