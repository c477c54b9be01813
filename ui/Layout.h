#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tastiva::layout {

// Positions and sizes in twips, from the top-left corner of a window's client area.
struct Rect {
  int left, top, width, height;
  bool Contains(double x, double y) const {
    return x >= left && x < left + width && y >= top && y < top + height;
  }
};

inline constexpr int kKeyCount = 32;
inline constexpr int kFirstNote = 53;  // key index i plays note i + 53

// The main window.
inline constexpr std::string_view kCaption = "Tastiva";
inline constexpr int kClientWidth = 9348;
inline constexpr int kClientHeight = 3288;
inline constexpr unsigned kBackground = 0xC0C0C0;
inline constexpr std::string_view kFontFamily = "Arial";
inline constexpr double kFontPoints = 8.4;

// Controls other than keys.
inline constexpr Rect kSoundList{5790, 225, 2655, 432};     // lst_sound_list
inline constexpr Rect kDeviceList{720, 240, 2835, 432};     // List1
inline constexpr Rect kInstrumentLabel{5760, 0, 930, 210};  // Label2
inline constexpr Rect kDeviceLabel{720, 0, 540, 210};       // Label1
inline constexpr std::string_view kInstrumentCaption = "Instrument";
inline constexpr std::string_view kDeviceCaption = "Device";
// Keys that put the focus in a list, for the keyboard alone; the captions stay as they are.
inline constexpr std::string_view kInstrumentShortcut = "Alt+I";
inline constexpr std::string_view kDeviceShortcut = "Alt+D";

// The keys.
inline constexpr int kKeyTop = 960;
inline constexpr int kWhiteWidth = 495, kWhiteHeight = 2175;
inline constexpr int kBlackWidth = 255, kBlackHeight = 1335;

struct Key {
  int left;
  bool black;
  std::string_view caption;  // the computer key that plays it
  int tabPosition;
};

// By key index 0..31 (F3..C6).
inline constexpr std::array<Key, kKeyCount> kKeys{{
    {120, false, "Q", 27},  {480, true, "2", 24},   {600, false, "W", 26},  {960, true, "3", 25},
    {1080, false, "E", 35}, {1440, true, "4", 28},  {1560, false, "R", 34}, {2040, false, "Z", 23},
    {2400, true, "S", 7},   {2520, false, "X", 15}, {2880, true, "D", 8},   {3000, false, "C", 14},
    {3480, false, "V", 19}, {3840, true, "G", 16},  {3960, false, "B", 20}, {4320, true, "H", 17},
    {4440, false, "N", 21}, {4800, true, "J", 18},  {4920, false, "M", 22}, {5400, false, ",", 13},
    {5760, true, "L", 9},   {5880, false, ".", 12}, {6240, true, ";", 10},  {6360, false, "/", 11},
    {6840, false, "U", 29}, {7200, true, "8", 6},   {7320, false, "I", 30}, {7680, true, "9", 5},
    {7800, false, "O", 31}, {8160, true, "0", 4},   {8280, false, "P", 32}, {8760, false, "[", 33},
}};

// Creation order of the window's controls; the first lies on top of all later ones.
enum class Control { Key, SoundList, DeviceList, InstrumentLabel, DeviceLabel };
struct Created {
  Control control;
  int keyIndex;  // for Control::Key
};
inline constexpr std::array<Created, 36> kCreationOrder{{
    {Control::Key, 5},
    {Control::Key, 3},
    {Control::Key, 1},
    {Control::Key, 17},
    {Control::Key, 15},
    {Control::Key, 13},
    {Control::Key, 22},
    {Control::Key, 20},
    {Control::Key, 10},
    {Control::Key, 8},
    {Control::Key, 25},
    {Control::Key, 27},
    {Control::Key, 29},
    {Control::SoundList, -1},
    {Control::DeviceList, -1},
    {Control::Key, 0},
    {Control::Key, 2},
    {Control::Key, 4},
    {Control::Key, 6},
    {Control::Key, 7},
    {Control::Key, 9},
    {Control::Key, 11},
    {Control::Key, 12},
    {Control::Key, 14},
    {Control::Key, 16},
    {Control::Key, 18},
    {Control::Key, 19},
    {Control::Key, 21},
    {Control::Key, 23},
    {Control::Key, 24},
    {Control::Key, 26},
    {Control::Key, 28},
    {Control::Key, 30},
    {Control::Key, 31},
    {Control::InstrumentLabel, -1},
    {Control::DeviceLabel, -1},
}};

// Tab positions of the lists; the labels (2 and 3) take no focus.
inline constexpr int kDeviceListTab = 0;
inline constexpr int kSoundListTab = 1;

Rect KeyRect(int index);
// The key a mouse press at (x, y) reaches: the topmost key under the point, or -1.
std::int16_t HitTest(double x, double y);

}  // namespace tastiva::layout
