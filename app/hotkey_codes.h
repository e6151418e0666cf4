#pragma once
// The 16-bit hot-key codes kept in the settings and the options: the low byte is a Windows
// virtual-key code, 0x2000 is Shift, 0x4000 Ctrl, 0x8000 Alt, 0 means no hot key (Alt+A is
// 0x8041). The codes stay in this form everywhere they are stored; these functions split
// them, find the X11 key symbol of a key, decide which slot a pressed combination belongs
// to, and convert to and from Qt's key combinations for showing and editing them.

#include <QKeyCombination>
#include <QKeySequence>
#include <QString>
#include <array>
#include <cstdint>
#include <span>

class QKeySequenceEdit;

namespace quillory::app {

inline constexpr uint16_t kHotKeyShift = 0x2000;
inline constexpr uint16_t kHotKeyCtrl = 0x4000;
inline constexpr uint16_t kHotKeyAlt = 0x8000;
inline constexpr size_t kHotKeySlotCount = 9;

// The modifier mask in the order the hot-key messages report it.
inline constexpr unsigned kMaskAlt = 1;
inline constexpr unsigned kMaskCtrl = 2;
inline constexpr unsigned kMaskShift = 4;

struct HotKeyParts {
    // The code with the three modifier bits cleared.
    uint16_t key = 0;
    // kMaskAlt + kMaskCtrl + kMaskShift as present.
    unsigned mask = 0;
    friend bool operator==(const HotKeyParts&, const HotKeyParts&) = default;
};

HotKeyParts SplitHotKey(uint16_t code);
// The code of a key and a mask; 0 when the key does not fit the low byte.
uint16_t JoinHotKey(uint16_t key, unsigned mask);

// --- Qt-free: X11 key symbols and the slot rule -----------------------------------------

// The X11 key symbol of a virtual key (letters give their lower-case symbol); 0 for a key
// this program does not map.
uint32_t VirtualKeyToKeysym(uint16_t key);
// The virtual key of an X11 key symbol (upper- and lower-case letters alike); 0 for none.
uint16_t KeysymToVirtualKey(uint32_t keysym);

// Which slot a pressed combination starts: 1 (open the window) or 2 (power search), else 0.
// The slot number is the index into `codes`, as the settings store them: codes[1] and
// codes[2]; codes[0] and the slots after 2 start nothing. `keys` are the virtual keys the
// pressed physical key stands for (a keypad key can be two). Slot 1 is tried first, so when
// both slots hold the same combination slot 1 wins; a slot holding 0 never matches.
int HotKeySlotFor(const std::array<uint16_t, kHotKeySlotCount>& codes, unsigned mask,
                  std::span<const uint16_t> keys);

// --- Qt key combinations, for showing and editing the codes -----------------------------

// Qt::Key_unknown (with no modifiers) for 0 and for a key without a Qt counterpart.
QKeyCombination HotKeyToKeyCombination(uint16_t code);
// 0 for a combination that cannot be a hot key: a modifier alone, the Meta modifier, or a
// key without a virtual-key counterpart. Shifted punctuation ("!" for Shift+1) counts as the
// key it is typed with.
uint16_t HotKeyFromKeyCombination(QKeyCombination combination);
// An empty sequence for 0 and for an unmapped code.
QKeySequence HotKeySequence(uint16_t code);
// The first key of the sequence; 0 when it is empty or cannot be a hot key.
uint16_t HotKeyFromSequence(const QKeySequence& sequence);
// "Ctrl+Alt+F" in the desktop's own words; empty for 0.
QString HotKeyText(uint16_t code);

// --- The options dialog's hot-key fields --------------------------------------------------

// Shows a stored code in the field (empty when it has no key sequence) and remembers it.
void ShowHotKey(QKeySequenceEdit& field, uint16_t code);
// The code the field stands for: the one ShowHotKey remembered until the field is edited,
// then the code of what the field holds. So a stored code the field cannot show (a key this
// program does not map, bits no key sequence carries) survives OK; only an edit, clearing
// the field among them, replaces it. Without ShowHotKey: the code of the field's sequence.
uint16_t HotKeyOfField(const QKeySequenceEdit& field);

}  // namespace quillory::app
