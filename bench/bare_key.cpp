// The floor for key -> MIDI: a bare Qt window of the main window's size that sends a note-on
// through RtMidi's JACK output on each key press, and nothing else.
//
// usage: bare_key JACK_PORT      (a full JACK MIDI input port name, e.g. "probe:in")
#include <RtMidi.h>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdio>
#include <memory>
#include <string>

namespace {

class BareKey final : public QWidget {
 public:
  explicit BareKey(RtMidiOut& out) : out_(out) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->isAutoRepeat()) return;
    const unsigned char on[3] = {0x90, 0x35, 0x7f};
    out_.sendMessage(on, 3);
  }
  void keyReleaseEvent(QKeyEvent* event) override {
    if (event->isAutoRepeat()) return;
    const unsigned char off[3] = {0x80, 0x35, 0x00};
    out_.sendMessage(off, 3);
  }

 private:
  RtMidiOut& out_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: bare_key JACK_PORT\n");
    return 2;
  }
  std::unique_ptr<RtMidiOut> out;
  try {
    out = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "bare-key");
    for (unsigned i = 0; i < out->getPortCount(); ++i) {
      if (out->getPortName(i) == argv[1]) out->openPort(i, "out");
    }
  } catch (const RtMidiError& e) {
    std::fprintf(stderr, "bare_key: %s\n", e.what());
    return 1;
  }
  if (!out->isPortOpen()) {
    std::fprintf(stderr, "bare_key: no port %s\n", argv[1]);
    return 1;
  }
  BareKey window(*out);
  window.setWindowTitle("BareKey");
  window.resize(623, 219);
  window.show();
  return app.exec();
}
