#include "app/hotkey_codes.h"

#include <QKeySequenceEdit>
#include <algorithm>

namespace quillory::app {

namespace {

// One key in its three namings: Windows virtual key, Qt key (with the keypad flag) and X11
// key symbol. Letters, digits and function keys are ranges handled in code.
struct KeyRow {
    uint16_t virtualKey;
    Qt::Key qtKey;
    bool keypad;
    uint32_t keysym;
};

constexpr KeyRow kKeyRows[] = {
    {0x08, Qt::Key_Backspace, false, 0xff08},  {0x09, Qt::Key_Tab, false, 0xff09},
    {0x0D, Qt::Key_Return, false, 0xff0d},     {0x13, Qt::Key_Pause, false, 0xff13},
    {0x1B, Qt::Key_Escape, false, 0xff1b},     {0x20, Qt::Key_Space, false, 0x0020},
    {0x21, Qt::Key_PageUp, false, 0xff55},     {0x22, Qt::Key_PageDown, false, 0xff56},
    {0x23, Qt::Key_End, false, 0xff57},        {0x24, Qt::Key_Home, false, 0xff50},
    {0x25, Qt::Key_Left, false, 0xff51},       {0x26, Qt::Key_Up, false, 0xff52},
    {0x27, Qt::Key_Right, false, 0xff53},      {0x28, Qt::Key_Down, false, 0xff54},
    {0x2C, Qt::Key_Print, false, 0xff61},      {0x2D, Qt::Key_Insert, false, 0xff63},
    {0x2E, Qt::Key_Delete, false, 0xffff},     {0x5D, Qt::Key_Menu, false, 0xff67},
    {0x6A, Qt::Key_Asterisk, true, 0xffaa},    {0x6B, Qt::Key_Plus, true, 0xffab},
    {0x6D, Qt::Key_Minus, true, 0xffad},       {0x6E, Qt::Key_Period, true, 0xffae},
    {0x6F, Qt::Key_Slash, true, 0xffaf},       {0x91, Qt::Key_ScrollLock, false, 0xff14},
    {0xBA, Qt::Key_Semicolon, false, 0x003b},  {0xBB, Qt::Key_Equal, false, 0x003d},
    {0xBC, Qt::Key_Comma, false, 0x002c},      {0xBD, Qt::Key_Minus, false, 0x002d},
    {0xBE, Qt::Key_Period, false, 0x002e},     {0xBF, Qt::Key_Slash, false, 0x002f},
    {0xC0, Qt::Key_QuoteLeft, false, 0x0060},  {0xDB, Qt::Key_BracketLeft, false, 0x005b},
    {0xDC, Qt::Key_Backslash, false, 0x005c},  {0xDD, Qt::Key_BracketRight, false, 0x005d},
    {0xDE, Qt::Key_Apostrophe, false, 0x0027},
};

// Keys that Qt reports for a shifted key on a US layout, and the key they are typed with.
struct ShiftedKey {
    Qt::Key shifted;
    Qt::Key base;
};

constexpr ShiftedKey kShiftedKeys[] = {
    {Qt::Key_Exclam, Qt::Key_1},
    {Qt::Key_At, Qt::Key_2},
    {Qt::Key_NumberSign, Qt::Key_3},
    {Qt::Key_Dollar, Qt::Key_4},
    {Qt::Key_Percent, Qt::Key_5},
    {Qt::Key_AsciiCircum, Qt::Key_6},
    {Qt::Key_Ampersand, Qt::Key_7},
    {Qt::Key_Asterisk, Qt::Key_8},
    {Qt::Key_ParenLeft, Qt::Key_9},
    {Qt::Key_ParenRight, Qt::Key_0},
    {Qt::Key_Underscore, Qt::Key_Minus},
    {Qt::Key_Plus, Qt::Key_Equal},
    {Qt::Key_BraceLeft, Qt::Key_BracketLeft},
    {Qt::Key_BraceRight, Qt::Key_BracketRight},
    {Qt::Key_Bar, Qt::Key_Backslash},
    {Qt::Key_Colon, Qt::Key_Semicolon},
    {Qt::Key_QuoteDbl, Qt::Key_Apostrophe},
    {Qt::Key_Less, Qt::Key_Comma},
    {Qt::Key_Greater, Qt::Key_Period},
    {Qt::Key_Question, Qt::Key_Slash},
    {Qt::Key_AsciiTilde, Qt::Key_QuoteLeft},
};

constexpr uint16_t kVkNumpad0 = 0x60;
constexpr uint16_t kVkF1 = 0x70;
constexpr uint16_t kVkF24 = 0x87;
constexpr uint32_t kKeysymKp0 = 0xffb0;
constexpr uint32_t kKeysymF1 = 0xffbe;

bool IsLetter(uint16_t key) {
    return key >= 'A' && key <= 'Z';
}
bool IsDigit(uint16_t key) {
    return key >= '0' && key <= '9';
}

// The Qt key and keypad flag of a virtual key; Key_unknown when none.
std::pair<Qt::Key, bool> QtKeyOf(uint16_t key) {
    if (IsLetter(key) || IsDigit(key)) return {static_cast<Qt::Key>(key), false};
    if (key >= kVkNumpad0 && key < kVkNumpad0 + 10)
        return {static_cast<Qt::Key>(Qt::Key_0 + key - kVkNumpad0), true};
    if (key >= kVkF1 && key <= kVkF24) return {static_cast<Qt::Key>(Qt::Key_F1 + key - kVkF1), false};
    for (const KeyRow& row : kKeyRows) {
        if (row.virtualKey == key) return {row.qtKey, row.keypad};
    }
    return {Qt::Key_unknown, false};
}

uint16_t VirtualKeyOf(Qt::Key key, bool keypad) {
    if (key == Qt::Key_Enter) return 0x0D;
    if (key == Qt::Key_Backtab) return 0x09;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return static_cast<uint16_t>(keypad ? kVkNumpad0 + (key - Qt::Key_0) : key);
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint16_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<uint16_t>(kVkF1 + (key - Qt::Key_F1));
    for (const KeyRow& row : kKeyRows) {
        if (row.qtKey == key && row.keypad == keypad) return row.virtualKey;
    }
    // "*" and "+" off the keypad are Shift+8 and Shift+=.
    for (const ShiftedKey& shifted : kShiftedKeys) {
        if (shifted.shifted == key) return VirtualKeyOf(shifted.base, false);
    }
    // A keypad key without a row of its own (the keypad "=") is taken as the main key.
    for (const KeyRow& row : kKeyRows) {
        if (row.qtKey == key) return row.virtualKey;
    }
    return 0;
}

}  // namespace

HotKeyParts SplitHotKey(uint16_t code) {
    HotKeyParts parts;
    parts.key = code & static_cast<uint16_t>(~(kHotKeyShift | kHotKeyCtrl | kHotKeyAlt));
    if (code & kHotKeyAlt) parts.mask += kMaskAlt;
    if (code & kHotKeyCtrl) parts.mask += kMaskCtrl;
    if (code & kHotKeyShift) parts.mask += kMaskShift;
    return parts;
}

uint16_t JoinHotKey(uint16_t key, unsigned mask) {
    if (key == 0 || key > 0xFF) return 0;
    uint16_t code = key;
    if (mask & kMaskAlt) code |= kHotKeyAlt;
    if (mask & kMaskCtrl) code |= kHotKeyCtrl;
    if (mask & kMaskShift) code |= kHotKeyShift;
    return code;
}

uint32_t VirtualKeyToKeysym(uint16_t key) {
    if (IsLetter(key)) return key - 'A' + 'a';
    if (IsDigit(key)) return key;
    if (key >= kVkNumpad0 && key < kVkNumpad0 + 10) return kKeysymKp0 + (key - kVkNumpad0);
    if (key >= kVkF1 && key <= kVkF24) return kKeysymF1 + (key - kVkF1);
    for (const KeyRow& row : kKeyRows) {
        if (row.virtualKey == key) return row.keysym;
    }
    return 0;
}

uint16_t KeysymToVirtualKey(uint32_t keysym) {
    if (keysym >= 'a' && keysym <= 'z') return static_cast<uint16_t>(keysym - 'a' + 'A');
    if ((keysym >= 'A' && keysym <= 'Z') || (keysym >= '0' && keysym <= '9'))
        return static_cast<uint16_t>(keysym);
    if (keysym >= kKeysymKp0 && keysym < kKeysymKp0 + 10)
        return static_cast<uint16_t>(kVkNumpad0 + keysym - kKeysymKp0);
    if (keysym >= kKeysymF1 && keysym <= kKeysymF1 + (kVkF24 - kVkF1)) {
        return static_cast<uint16_t>(kVkF1 + keysym - kKeysymF1);
    }
    for (const KeyRow& row : kKeyRows) {
        if (row.keysym == keysym) return row.virtualKey;
    }
    return 0;
}

int HotKeySlotFor(const std::array<uint16_t, kHotKeySlotCount>& codes, unsigned mask,
                  std::span<const uint16_t> keys) {
    for (int slot = 1; slot <= 2; ++slot) {
        const uint16_t code = codes[static_cast<size_t>(slot)];
        if (code == 0) continue;
        const HotKeyParts parts = SplitHotKey(code);
        if (parts.mask == mask && std::find(keys.begin(), keys.end(), parts.key) != keys.end()) return slot;
    }
    return 0;
}

QKeyCombination HotKeyToKeyCombination(uint16_t code) {
    const HotKeyParts parts = SplitHotKey(code);
    const auto [key, keypad] = QtKeyOf(parts.key);
    if (code == 0 || key == Qt::Key_unknown) return QKeyCombination(Qt::Key_unknown);
    Qt::KeyboardModifiers modifiers;
    if (parts.mask & kMaskShift) modifiers |= Qt::ShiftModifier;
    if (parts.mask & kMaskCtrl) modifiers |= Qt::ControlModifier;
    if (parts.mask & kMaskAlt) modifiers |= Qt::AltModifier;
    if (keypad) modifiers |= Qt::KeypadModifier;
    return QKeyCombination(modifiers, key);
}

uint16_t HotKeyFromKeyCombination(QKeyCombination combination) {
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    if (modifiers & (Qt::MetaModifier | Qt::GroupSwitchModifier)) return 0;
    const uint16_t key = VirtualKeyOf(combination.key(), modifiers.testFlag(Qt::KeypadModifier));
    unsigned mask = 0;
    if (modifiers & Qt::ShiftModifier) mask += kMaskShift;
    if (modifiers & Qt::ControlModifier) mask += kMaskCtrl;
    if (modifiers & Qt::AltModifier) mask += kMaskAlt;
    // Shift+Tab arrives as Backtab, sometimes without the Shift it implies.
    if (combination.key() == Qt::Key_Backtab) mask |= kMaskShift;
    return JoinHotKey(key, mask);
}

QKeySequence HotKeySequence(uint16_t code) {
    const QKeyCombination combination = HotKeyToKeyCombination(code);
    if (combination.key() == Qt::Key_unknown) return {};
    return QKeySequence(combination);
}

uint16_t HotKeyFromSequence(const QKeySequence& sequence) {
    if (sequence.isEmpty()) return 0;
    return HotKeyFromKeyCombination(sequence[0]);
}

QString HotKeyText(uint16_t code) {
    return HotKeySequence(code).toString(QKeySequence::NativeText);
}

namespace {

// The field's remembered code, and whether the field changed since it was shown.
constexpr char kShownCode[] = "quilloryShownHotKey";
constexpr char kEdited[] = "quilloryHotKeyEdited";

}  // namespace

void ShowHotKey(QKeySequenceEdit& field, uint16_t code) {
    field.setKeySequence(HotKeySequence(code));
    // Watched once per field; the change above happens before the mark is reset, so showing
    // a code never counts as an edit.
    if (!field.property(kShownCode).isValid()) {
        QObject::connect(&field, &QKeySequenceEdit::keySequenceChanged, &field,
                         [&field] { field.setProperty(kEdited, true); });
    }
    field.setProperty(kShownCode, static_cast<unsigned>(code));
    field.setProperty(kEdited, false);
}

uint16_t HotKeyOfField(const QKeySequenceEdit& field) {
    const QVariant shown = field.property(kShownCode);
    if (shown.isValid() && !field.property(kEdited).toBool()) return static_cast<uint16_t>(shown.toUInt());
    return HotKeyFromSequence(field.keySequence());
}

}  // namespace quillory::app
