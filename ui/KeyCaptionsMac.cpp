// The current keyboard input source's layout data through UCKeyTranslate, read again when
// the user selects another input source.
#include <Carbon/Carbon.h>

#include "ui/KeyCaptions.h"

namespace tastiva {

namespace {

QString Typed(const UCKeyboardLayout* layout, std::uint16_t keyCode, bool shift) {
  UInt32 deadKeys = 0;
  UniChar text[8] = {};
  UniCharCount length = 0;
  const UInt32 modifiers = shift ? (shiftKey >> 8) & 0xFF : 0;
  // Without dead-key processing a dead key gives its spacing accent.
  if (UCKeyTranslate(layout, keyCode, kUCKeyActionDisplay, modifiers, LMGetKbdType(),
                     kUCKeyTranslateNoDeadKeysMask, &deadKeys, 8, &length, text) != noErr) {
    return {};
  }
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(text),
                            static_cast<qsizetype>(length));
}

void OnInputSourceChanged(CFNotificationCenterRef, void* observer, CFNotificationName, const void*,
                          CFDictionaryRef);

class MacSource final : public LayoutSource {
 public:
  MacSource() {
    CFNotificationCenterAddObserver(CFNotificationCenterGetDistributedCenter(), this,
                                    OnInputSourceChanged,
                                    kTISNotifySelectedKeyboardInputSourceChanged, nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
  }
  ~MacSource() override {
    CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDistributedCenter(), this);
  }

  std::optional<LayoutSymbols> Read() override {
    TISInputSourceRef source = TISCopyCurrentKeyboardLayoutInputSource();
    if (source == nullptr) return std::nullopt;
    std::optional<LayoutSymbols> symbols;
    auto* data =
        static_cast<CFDataRef>(TISGetInputSourceProperty(source, kTISPropertyUnicodeKeyLayoutData));
    if (data != nullptr) {
      const auto* layout = reinterpret_cast<const UCKeyboardLayout*>(CFDataGetBytePtr(data));
      symbols.emplace();
      for (std::size_t i = 0; i < symbols->size(); ++i) {
        (*symbols)[i].plain = Typed(layout, kKeyPositions[i].macKeyCode, false);
        (*symbols)[i].shifted = Typed(layout, kKeyPositions[i].macKeyCode, true);
      }
    }
    CFRelease(source);
    return symbols;
  }

  void Notify() { Changed(); }
};

void OnInputSourceChanged(CFNotificationCenterRef, void* observer, CFNotificationName, const void*,
                          CFDictionaryRef) {
  static_cast<MacSource*>(observer)->Notify();
}

}  // namespace

std::unique_ptr<LayoutSource> CreateMacLayoutSource() {
  return std::make_unique<MacSource>();
}

}  // namespace tastiva
