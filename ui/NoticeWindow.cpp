#include "ui/NoticeWindow.h"

#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>

#include "ui/Twips.h"

namespace tastiva {

namespace {
// Design sizes in twips.
constexpr int kDesignWidth = 8652, kDesignHeight = 3480;
constexpr int kCommand2BelowBottom = 1000;
}  // namespace

NoticeWindow::NoticeWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName("Form2");
  setModal(true);
  resize(TwipsToPixels(kDesignWidth), TwipsToPixels(kDesignHeight));
  QFont font("Arial");
  font.setPointSizeF(8.4);
  setFont(font);

  // Creation order is stacking order: the first created lies on top.
  command1_ = new QPushButton("X", this);
  command1_->setObjectName("Command1");
  command1_->setGeometry(TwipsToPixels(120), TwipsToPixels(120), TwipsToPixels(320),
                         TwipsToPixels(320));
  command1_->setAutoDefault(false);
  command1_->setDefault(false);
  connect(command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });

  command2_ = new QPushButton(this);
  command2_->setObjectName("Command2");
  command2_->setGeometry(TwipsToPixels(2640), 0, TwipsToPixels(75), TwipsToPixels(210));
  command2_->setAutoDefault(false);
  command2_->setFocusPolicy(Qt::NoFocus);  // out of sight; it takes no focus either

  image1_ = new QLabel(this);
  image1_->setObjectName("Image1");
  image1_->setPixmap(QPixmap(":/notice.bmp"));
  image1_->move(TwipsToPixels(120), TwipsToPixels(600));
  image1_->adjustSize();  // the picture control takes its picture's size

  command2_->lower();
  image1_->lower();
  setTabOrder(command2_, command1_);

  Form_Load();
}

void NoticeWindow::Form_Load() {
  image1_->move(0, 0);
  setFixedSize(image1_->size());
  // Out of sight below the window's bottom edge.
  command2_->move(command2_->x(), height() + TwipsToPixels(kCommand2BelowBottom));
}

// Escape and Enter are bound to no button: only "X" (or the platform's close) closes.
void NoticeWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
      event->key() == Qt::Key_Enter) {
    return;
  }
  QDialog::keyPressEvent(event);
}

void NoticeWindow::Command1_Click() {
  done(0);
}

void NoticeWindow::ShowModal() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
  }
  exec();
}

}  // namespace tastiva
