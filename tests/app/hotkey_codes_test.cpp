// The hot-key codes: their parts, the X11 key symbols, the slot rule and the conversion to
// and from Qt's key combinations that the options dialog shows and edits.
#include "app/hotkey_codes.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillory::app {
namespace {

TEST(HotKeyCodes, SplitAndJoinKeepTheKeyAndTheThreeModifiers) {
    EXPECT_EQ(SplitHotKey(0x8041), (HotKeyParts{0x41, kMaskAlt}));  // Alt+A, 32833
    EXPECT_EQ(SplitHotKey(0x607B), (HotKeyParts{0x7B, kMaskCtrl + kMaskShift}));
    EXPECT_EQ(SplitHotKey(0xE070), (HotKeyParts{0x70, kMaskAlt + kMaskCtrl + kMaskShift}));
    EXPECT_EQ(SplitHotKey(0), (HotKeyParts{0, 0}));
    // Bits between the low byte and the modifiers stay with the key.
    EXPECT_EQ(SplitHotKey(0x8141).key, 0x141);

    for (unsigned mask = 0; mask < 8; ++mask) {
        const uint16_t code = JoinHotKey(0x46, mask);
        EXPECT_EQ(SplitHotKey(code), (HotKeyParts{0x46, mask})) << mask;
    }
    EXPECT_EQ(JoinHotKey(0x41, kMaskAlt), 0x8041);
    EXPECT_EQ(JoinHotKey(0, kMaskCtrl), 0);
    EXPECT_EQ(JoinHotKey(0x141, kMaskCtrl), 0);
}

struct QtPair {
    uint16_t code;
    QKeyCombination combination;
};

TEST(HotKeyCodes, ConvertToAndFromQtKeyCombinations) {
    const QtPair table[] = {
        {0x8041, QKeyCombination(Qt::AltModifier, Qt::Key_A)},
        {0x6046, QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F)},
        {0xC051, QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_Q)},
        {0x4035, QKeyCombination(Qt::ControlModifier, Qt::Key_5)},
        {0x4065, QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_5)},
        {0x607B, QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F12)},
        {0x0087, QKeyCombination(Qt::Key_F24)},
        {0x8020, QKeyCombination(Qt::AltModifier, Qt::Key_Space)},
        {0xC02E, QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_Delete)},
        {0x202D, QKeyCombination(Qt::ShiftModifier, Qt::Key_Insert)},
        {0x4024, QKeyCombination(Qt::ControlModifier, Qt::Key_Home)},
        {0x4022, QKeyCombination(Qt::ControlModifier, Qt::Key_PageDown)},
        {0x40BA, QKeyCombination(Qt::ControlModifier, Qt::Key_Semicolon)},
        {0x40BF, QKeyCombination(Qt::ControlModifier, Qt::Key_Slash)},
        {0x406F, QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Slash)},
        {0x40BD, QKeyCombination(Qt::ControlModifier, Qt::Key_Minus)},
        {0x406D, QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus)},
        {0x80C0, QKeyCombination(Qt::AltModifier, Qt::Key_QuoteLeft)},
        {0x40DE, QKeyCombination(Qt::ControlModifier, Qt::Key_Apostrophe)},
        {0x8013, QKeyCombination(Qt::AltModifier, Qt::Key_Pause)},
    };
    for (const QtPair& pair : table) {
        EXPECT_EQ(HotKeyToKeyCombination(pair.code), pair.combination) << std::hex << pair.code;
        EXPECT_EQ(HotKeyFromKeyCombination(pair.combination), pair.code) << std::hex << pair.code;
    }
}

TEST(HotKeyCodes, EveryMappedKeyRoundTripsThroughQtAndX11WithEveryModifierSet) {
    int mapped = 0;
    for (uint16_t key = 1; key <= 0xFF; ++key) {
        const uint32_t keysym = VirtualKeyToKeysym(key);
        if (keysym == 0) {
            EXPECT_EQ(HotKeyToKeyCombination(key).key(), Qt::Key_unknown) << std::hex << key;
            continue;
        }
        ++mapped;
        EXPECT_EQ(KeysymToVirtualKey(keysym), key) << std::hex << key;
        for (unsigned mask = 0; mask < 8; ++mask) {
            const uint16_t code = JoinHotKey(key, mask);
            EXPECT_EQ(HotKeyFromKeyCombination(HotKeyToKeyCombination(code)), code) << std::hex << code;
            EXPECT_EQ(HotKeyFromSequence(HotKeySequence(code)), code) << std::hex << code;
        }
    }
    // Letters, digits, keypad digits, F1 to F24 and the named keys.
    EXPECT_GE(mapped, 26 + 10 + 10 + 24 + 30);
}

TEST(HotKeyCodes, X11KeySymbolsOfLettersFunctionAndKeypadKeys) {
    EXPECT_EQ(VirtualKeyToKeysym('A'), 0x61u);  // the lower-case symbol, as the keyboard map has it
    EXPECT_EQ(KeysymToVirtualKey(0x61), 'A');
    EXPECT_EQ(KeysymToVirtualKey(0x41), 'A');
    EXPECT_EQ(VirtualKeyToKeysym('7'), 0x37u);
    EXPECT_EQ(VirtualKeyToKeysym(0x70), 0xffbeu);  // F1
    EXPECT_EQ(VirtualKeyToKeysym(0x87), 0xffd5u);  // F24
    EXPECT_EQ(VirtualKeyToKeysym(0x65), 0xffb5u);  // keypad 5
    EXPECT_EQ(VirtualKeyToKeysym(0x0D), 0xff0du);
    EXPECT_EQ(KeysymToVirtualKey(0xff7f), 0);  // Num Lock is no hot key
    EXPECT_EQ(VirtualKeyToKeysym(0), 0u);
    EXPECT_EQ(VirtualKeyToKeysym(0x10), 0u);  // Shift alone
}

TEST(HotKeyCodes, CombinationsThatCannotBeHotKeysGiveZero) {
    EXPECT_EQ(HotKeyFromKeyCombination(QKeyCombination(Qt::MetaModifier, Qt::Key_A)), 0);
    EXPECT_EQ(HotKeyFromKeyCombination(QKeyCombination(Qt::ControlModifier, Qt::Key_Control)), 0);
    EXPECT_EQ(HotKeyFromKeyCombination(QKeyCombination(Qt::AltModifier, Qt::Key_Eacute)), 0);
    EXPECT_EQ(HotKeyFromSequence(QKeySequence()), 0);
    EXPECT_TRUE(HotKeySequence(0).isEmpty());
    EXPECT_TRUE(HotKeySequence(0x40FF).isEmpty());
    EXPECT_TRUE(HotKeyText(0).isEmpty());
}

TEST(HotKeyCodes, QtKeysOfShiftedPunctuationAndAlternativesCountAsTheirKey) {
    EXPECT_EQ(
        HotKeyFromKeyCombination(QKeyCombination(Qt::ShiftModifier | Qt::ControlModifier, Qt::Key_Exclam)),
        0x6031);
    EXPECT_EQ(HotKeyFromKeyCombination(QKeyCombination(Qt::ShiftModifier, Qt::Key_Question)), 0x20BF);
    EXPECT_EQ(
        HotKeyFromKeyCombination(QKeyCombination(Qt::ShiftModifier | Qt::AltModifier, Qt::Key_Asterisk)),
        0xA038);
    EXPECT_EQ(HotKeyFromKeyCombination(QKeyCombination(Qt::ShiftModifier, Qt::Key_Plus)), 0x20BB);
    EXPECT_EQ(HotKeyFromKeyCombination(QKeyCombination(Qt::ControlModifier, Qt::Key_Enter)), 0x400D);
    EXPECT_EQ(HotKeyFromKeyCombination(QKeyCombination(Qt::Key_Backtab)), 0x2009);
    // Keypad "=" has no key of its own and is the main "=".
    EXPECT_EQ(HotKeyFromKeyCombination(QKeyCombination(Qt::AltModifier | Qt::KeypadModifier, Qt::Key_Equal)),
              0x80BB);
}

TEST(HotKeyCodes, SequencesAndTextsForTheOptionsDialog) {
    EXPECT_EQ(HotKeyFromSequence(QKeySequence(QStringLiteral("Ctrl+Alt+F"))), 0xC046);
    EXPECT_EQ(HotKeyFromSequence(QKeySequence(QStringLiteral("Alt+A, Ctrl+B"))), 0x8041);
    EXPECT_EQ(HotKeySequence(0xC046), QKeySequence(QStringLiteral("Ctrl+Alt+F")));
    EXPECT_EQ(HotKeySequence(0xC046).toString(QKeySequence::PortableText), QStringLiteral("Ctrl+Alt+F"));
    EXPECT_FALSE(HotKeyText(0x8041).isEmpty());
}

TEST(HotKeyCodes, SlotRuleReadsTheSlotsWhereTheSettingsKeepThemAndSlotOneWins) {
    std::array<uint16_t, kHotKeySlotCount> codes{};
    const std::vector<uint16_t> keyA{0x41};
    EXPECT_EQ(HotKeySlotFor(codes, 0, std::vector<uint16_t>{0}), 0);

    codes[1] = 0x8041;  // hot key 1, Alt+A, opens the window
    codes[2] = 0x8042;  // hot key 2, Alt+B, starts the power search
    EXPECT_EQ(HotKeySlotFor(codes, kMaskAlt, keyA), 1);
    EXPECT_EQ(HotKeySlotFor(codes, kMaskAlt, std::vector<uint16_t>{0x42}), 2);
    EXPECT_EQ(HotKeySlotFor(codes, kMaskAlt + kMaskShift, keyA), 0);
    EXPECT_EQ(HotKeySlotFor(codes, kMaskCtrl, keyA), 0);
    EXPECT_EQ(HotKeySlotFor(codes, kMaskAlt, std::vector<uint16_t>{0x43}), 0);

    codes[2] = 0x8041;  // the same combination in both slots
    EXPECT_EQ(HotKeySlotFor(codes, kMaskAlt, keyA), 1);
    codes[1] = 0;
    EXPECT_EQ(HotKeySlotFor(codes, kMaskAlt, keyA), 2);

    // The unused index 0 and the slots after 2 start nothing.
    codes = {};
    codes[0] = 0x8041;
    codes[3] = 0x8041;
    codes[8] = 0x8041;
    EXPECT_EQ(HotKeySlotFor(codes, kMaskAlt, keyA), 0);

    // A keypad key stands for two virtual keys; either may be the slot's.
    codes[1] = 0x4065;
    EXPECT_EQ(HotKeySlotFor(codes, kMaskCtrl, std::vector<uint16_t>{0x0C, 0x65}), 1);
}

}  // namespace
}  // namespace quillory::app
