#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace tastiva {

// The notice window: the notice picture at its own size, borderless, closed by its "X".
class NoticeWindow final : public QDialog {
 public:
  explicit NoticeWindow(QWidget* parent = nullptr);

  QPushButton& Command1() { return *command1_; }
  QPushButton& Command2() { return *command2_; }
  QLabel& Image1() { return *image1_; }

  // Shows the window modally, centred; returns when it is unloaded.
  void ShowModal();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Form_Load();
  void Command1_Click();

  QPushButton* command1_;
  QPushButton* command2_;
  QLabel* image1_;
};

}  // namespace tastiva
