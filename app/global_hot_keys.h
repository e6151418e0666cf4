#pragma once
// The two system-wide key combinations: slot 1 opens the main window, slot 2 starts the
// power search, even while the program is hidden in the tray. On X11 each combination is
// grabbed on the root window, also with Caps Lock and Num Lock on; where no X11 connection
// exists (Wayland, offscreen) registration does nothing, silently, and the keys simply do
// not work. A combination another program (or another copy of this one) holds stays dead.

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/hotkey_codes.h"

namespace quillory::app {

class TQuilloryForm1;

class GlobalHotKeys : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
  public:
    explicit GlobalHotKeys(QObject* parent = nullptr);
    // Releases whatever is still held.
    ~GlobalHotKeys() override;

    // Grabs the combinations of codes[1] and codes[2] (hot keys 1 and 2), where non-zero.
    // A later call first releases the earlier grabs.
    void Register(const std::array<uint16_t, kHotKeySlotCount>& codes);
    // Releases every grab of this object; harmless when nothing is held.
    void Unregister();

    // Whether this desktop can deliver system-wide keys to the program (an X11 connection).
    static bool Available();
    // The number of (key, modifier) grabs the X server accepted at the last registration.
    size_t GrabCount() const { return grabs_.size(); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  Q_SIGNALS:
    // 1 or 2: the slot whose combination was pressed.
    void hotKeyPressed(int slot);

  private:
    struct Grab {
        uint8_t keycode;
        uint16_t modifiers;
    };

    std::array<uint16_t, kHotKeySlotCount> codes_{};
    std::vector<Grab> grabs_;
    // The virtual keys each X key code stands for, from the keyboard map read at registration.
    std::vector<std::vector<uint16_t>> keysOfKeycode_;
    uint8_t minKeycode_ = 0;
    uint16_t numLockMask_ = 0;
    bool registered_ = false;
};

// Creates the window's hot keys: slot 1 opens the main window and brings it to the front,
// slot 2 calls `powerSearch`. Nothing is grabbed until RegisterHotKeys.
GlobalHotKeys* AttachHotKeys(TQuilloryForm1& form, std::function<void()> powerSearch);
// Grabs the combinations of the options' HotKeys; nothing when no hot keys are attached.
// The start-up timer's first tick calls it, and the options dialog's OK after
// UnregisterHotKeys.
void RegisterHotKeys(TQuilloryForm1& form);
// Releases them; the destruction work calls it.
void UnregisterHotKeys(TQuilloryForm1& form);

}  // namespace quillory::app
