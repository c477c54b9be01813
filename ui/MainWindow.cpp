#include "ui/MainWindow.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <map>
#include <tuple>

#include "ui/BriefPress.h"
#include "ui/HeldInput.h"
#include "ui/MainWindowEvents.h"
#include "ui/Twips.h"
#include "ui/assets/Assets.h"

namespace tastiva {

namespace {

QRect Pixels(const layout::Rect& r) {
  return {TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
          TwipsToPixels(r.height)};
}

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName("main");
  setWindowTitle(Text(layout::kCaption));
  // The large sizes come once the window has mapped: they are nine tenths of the 360 KB the
  // icon sends to the X server, a millisecond on the way to the first map.
  setWindowIcon(MainWindowIcon(64));
  setFixedSize(TwipsToPixels(layout::kClientWidth), TwipsToPixels(layout::kClientHeight));

  QFont font(Text(layout::kFontFamily));
  font.setPointSizeF(layout::kFontPoints);
  font.setWeight(QFont::Bold);
  setFont(font);

  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor::fromRgb(layout::kBackground));
  setPalette(pal);
  setAutoFillBackground(true);

  // Each control goes below all earlier ones, so the first created lies on top.
  for (const layout::Created& c : layout::kCreationOrder) {
    QWidget* created = nullptr;
    switch (c.control) {
      case layout::Control::Key:
        CreateKey(c.keyIndex);
        created = keys_[static_cast<std::size_t>(c.keyIndex)];
        break;
      case layout::Control::SoundList:
        soundList_ = new ListBox(this);
        soundList_->setObjectName("lst_sound_list");
        soundList_->setGeometry(Pixels(layout::kSoundList));
        soundList_->setFocusPolicy(Qt::ClickFocus);
        created = soundList_;
        break;
      case layout::Control::DeviceList:
        deviceList_ = new ListBox(this);
        deviceList_->setObjectName("List1");
        deviceList_->setGeometry(Pixels(layout::kDeviceList));
        // Not tab stops: the keys have the focus from the start, so the first key pressed
        // plays instead of being taken by a list.
        deviceList_->setFocusPolicy(Qt::ClickFocus);
        created = deviceList_;
        break;
      case layout::Control::InstrumentLabel:
        instrumentLabel_ = CreateLabel(layout::kInstrumentCaption, layout::kInstrumentLabel);
        instrumentLabel_->setObjectName("Label2");
        created = instrumentLabel_;
        break;
      case layout::Control::DeviceLabel:
        deviceLabel_ = CreateLabel(layout::kDeviceCaption, layout::kDeviceLabel);
        deviceLabel_->setObjectName("Label1");
        created = deviceLabel_;
        break;
    }
    created->lower();
  }
  SetTabOrder();
  // Each list is named by its label, as a screen reader announces it, and has its shortcut.
  for (auto [label, list, shortcut] :
       {std::tuple{deviceLabel_, deviceList_, layout::kDeviceShortcut},
        {instrumentLabel_, soundList_, layout::kInstrumentShortcut}}) {
    label->setBuddy(list);
    list->setAccessibleName(label->text());
    list->SetShortcut(QKeySequence(Text(shortcut)));
  }
  heldInput_ = new HeldInput(*this, keys_);
  // After the held input: it sees the input first.
  briefPress_ = new BriefPress(*this, keys_);
  for (KeyButton* key : keys_) key->SetBriefPress(briefPress_);

  // Each key carries what the user's own layout prints on the key that plays it.
  layoutSource_ = CreateLayoutSource();
  if (layoutSource_) layoutSource_->changed = [this] { ShowCaptions(); };
  ShowCaptions();
}

void MainWindow::ShowCaptions() {
  const auto captions = KeyCaptions(layoutSource_.get());
  for (std::size_t i = 0; i < keys_.size(); ++i) keys_[i]->setText(captions[i]);
}

void MainWindow::CreateKey(int index) {
  const layout::Key& row = layout::kKeys[static_cast<std::size_t>(index)];
  auto* key = new KeyButton(static_cast<std::int16_t>(index), row.black, this);
  key->setObjectName(QString("key%1").arg(index));
  key->setText(Text(row.caption));
  key->setGeometry(Pixels(layout::KeyRect(index)));
  key->setCursor(Qt::ArrowCursor);
  static const QPixmap picture = QPixmap::fromImage(LoadMaskedIcon(":/KeyPicture.ico"));
  key->SetPicture(picture);
  keys_[static_cast<std::size_t>(index)] = key;
}

QLabel* MainWindow::CreateLabel(std::string_view caption, const layout::Rect& rect) {
  auto* label = new QLabel(Text(caption), this);
  label->setGeometry(Pixels(rect));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setAutoFillBackground(true);
  // The grey behind the labels never follows the theme, so their text must not either.
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(pal);
  label->adjustSize();  // a label sizes itself to its caption
  return label;
}

void MainWindow::SetTabOrder() {
  std::map<int, QWidget*> order{{layout::kDeviceListTab, deviceList_},
                                {layout::kSoundListTab, soundList_}};
  for (int i = 0; i < layout::kKeyCount; ++i) {
    order[layout::kKeys[static_cast<std::size_t>(i)].tabPosition] =
        keys_[static_cast<std::size_t>(i)];
  }
  QWidget* previous = nullptr;
  for (const auto& [position, widget] : order) {
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

void MainWindow::SetEvents(MainWindowEvents* events) {
  events_ = events;
  heldInput_->SetEvents(events);
  briefPress_->SetEvents(events);
  for (KeyButton* key : keys_) key->SetEvents(events);
  if (!events) {
    deviceList_->onClick = soundList_->onClick = nullptr;
    deviceList_->onKeyDown = soundList_->onKeyDown = nullptr;
    deviceList_->onMouseDown = soundList_->onMouseDown = nullptr;
    return;
  }
  deviceList_->onClick = [events] { events->List1_Click(); };
  deviceList_->onKeyDown = [events](std::int16_t& k, std::int16_t& s) {
    events->List1_KeyDown(k, s);
  };
  deviceList_->onMouseDown = [events](std::int16_t b, std::int16_t s, float x, float y) {
    events->List1_MouseDown(b, s, x, y);
  };
  soundList_->onClick = [events] { events->lst_sound_list_Click(); };
  soundList_->onKeyDown = [events](std::int16_t& k, std::int16_t& s) {
    events->lst_sound_list_KeyDown(k, s);
  };
  soundList_->onMouseDown = [events](std::int16_t b, std::int16_t s, float x, float y) {
    events->lst_sound_list_MouseDown(b, s, x, y);
  };
}

void MainWindow::ShowCentred() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  show();
  // Maps the window now, not when the event loop first runs.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  setWindowIcon(MainWindowIcon());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  std::int16_t cancel = 0;
  if (events_) events_->Form_QueryUnload(cancel, 0);
  if (cancel != 0) {
    event->ignore();
  } else {
    event->accept();
  }
}

}  // namespace tastiva
