// The latency probe's measurements: rounds of sends, each timed to what arrives at the
// capture, with the sends of the program and of the references alternating.
#pragma once

#include <X11/Xlib.h>

#include <RtMidi.h>
#include <string>

#include "DirectSynth.h"
#include "JackCapture.h"

// Real key presses through XTEST.
class Keyboard {
 public:
  explicit Keyboard(int keycode) : keycode_(static_cast<unsigned>(keycode)) {}
  Keyboard(const Keyboard&) = delete;
  Keyboard& operator=(const Keyboard&) = delete;
  ~Keyboard();

  bool Open();
  void Key(bool down);

 private:
  Display* display_ = nullptr;
  unsigned keycode_;
};

// One line of output, flushed.
void Line(const std::string& text);

// rounds key presses timed to the program's note-on at the capture's MIDI input, each followed
// by a note-on sent straight through direct.
void MidiRounds(JackCapture& capture, int rounds, Keyboard& keyboard, RtMidiOut& direct);

// rounds key presses timed to the first loud sample at the capture's audio inputs, each after
// quietMs of silence there and followed, if direct is given, by a note-on given straight to it.
// The key's samples are labelled keyLabel, the direct ones "ref".
void AudioRounds(JackCapture& capture, int rounds, Keyboard& keyboard, DirectSynth* direct,
                 double quietMs, const char* keyLabel);
