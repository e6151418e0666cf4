#include "app/global_hot_keys.h"

#include <QGuiApplication>
#include <algorithm>

#include "app/main_window.h"

#ifdef QUILLORY_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace quillory::app {

namespace {

#ifdef QUILLORY_HAVE_XCB
xcb_connection_t* X11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t RootWindow(xcb_connection_t* connection) {
    const xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screen.rem > 0 ? screen.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

constexpr uint32_t kKeysymNumLock = 0xff7f;
// The columns of the keyboard map a key is reached by: plain and with Shift (the keypad's
// digits sit in the Shift column, which Num Lock selects).
constexpr int kKeymapColumns = 2;

uint16_t XModifiers(unsigned mask) {
    uint16_t modifiers = 0;
    if (mask & kMaskShift) modifiers |= XCB_MOD_MASK_SHIFT;
    if (mask & kMaskCtrl) modifiers |= XCB_MOD_MASK_CONTROL;
    if (mask & kMaskAlt) modifiers |= XCB_MOD_MASK_1;
    return modifiers;
}

// The keyboard map: the virtual keys each key code from `minKeycode` on stands for, and the
// key code of Num Lock (0 when no key has it). False when the server gives no map.
bool ReadKeyboardMap(xcb_connection_t* connection, uint8_t& minKeycode,
                     std::vector<std::vector<uint16_t>>& keysOfKeycode, uint8_t& numLockKeycode) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    minKeycode = setup->min_keycode;
    const uint8_t count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr);
    if (!map) return false;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(map);
    const int perKeycode = map->keysyms_per_keycode;
    keysOfKeycode.assign(count, {});
    for (int index = 0; index < count; ++index) {
        for (int column = 0; column < perKeycode; ++column) {
            const xcb_keysym_t keysym = keysyms[index * perKeycode + column];
            if (keysym == kKeysymNumLock && numLockKeycode == 0) {
                numLockKeycode = static_cast<uint8_t>(setup->min_keycode + index);
            }
            if (column >= kKeymapColumns) continue;
            const uint16_t key = KeysymToVirtualKey(keysym);
            std::vector<uint16_t>& keys = keysOfKeycode[static_cast<size_t>(index)];
            if (key != 0 && std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
        }
    }
    free(map);
    return true;
}

// The modifier that Num Lock sets (Mod2 on nearly every desktop).
uint16_t NumLockMask(xcb_connection_t* connection, uint8_t numLockKeycode) {
    uint16_t mask = XCB_MOD_MASK_2;
    if (xcb_get_modifier_mapping_reply_t* modifiers =
            xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr)) {
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(modifiers);
        const int perModifier = modifiers->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8 && numLockKeycode != 0; ++modifier) {
            for (int k = 0; k < perModifier; ++k) {
                if (keycodes[modifier * perModifier + k] == numLockKeycode) {
                    mask = static_cast<uint16_t>(1u << modifier);
                }
            }
        }
        free(modifiers);
    }
    return mask;
}

// False when the server refuses the grab (another client holds the combination).
bool GrabKey(xcb_connection_t* connection, xcb_window_t root, uint8_t keycode, uint16_t modifiers) {
    xcb_generic_error_t* error =
        xcb_request_check(connection, xcb_grab_key_checked(connection, 1, root, modifiers, keycode,
                                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    if (!error) return true;
    free(error);
    return false;
}
#endif

}  // namespace

GlobalHotKeys::GlobalHotKeys(QObject* parent) : QObject(parent) {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installNativeEventFilter(this);
}

GlobalHotKeys::~GlobalHotKeys() {
    Unregister();
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

bool GlobalHotKeys::Available() {
#ifdef QUILLORY_HAVE_XCB
    return X11Connection() != nullptr;
#else
    return false;
#endif
}

void GlobalHotKeys::Register(const std::array<uint16_t, kHotKeySlotCount>& codes) {
    Unregister();
    codes_ = codes;
    registered_ = true;
#ifdef QUILLORY_HAVE_XCB
    xcb_connection_t* connection = X11Connection();
    if (!connection) return;
    const xcb_window_t root = RootWindow(connection);
    if (root == XCB_WINDOW_NONE) return;
    uint8_t numLockKeycode = 0;
    if (!ReadKeyboardMap(connection, minKeycode_, keysOfKeycode_, numLockKeycode)) return;
    numLockMask_ = NumLockMask(connection, numLockKeycode);

    // Every key code of slots 1 and 2, with and without the lock modifiers: only they start
    // anything, so no other slot takes a key from the desktop. A refused grab (another client
    // holds it) is not an error: the combination just stays dead.
    for (const size_t slot : {size_t{1}, size_t{2}}) {
        const uint16_t code = codes_[slot];
        if (code == 0) continue;
        const HotKeyParts parts = SplitHotKey(code);
        const uint16_t modifiers = XModifiers(parts.mask);
        for (size_t index = 0; index < keysOfKeycode_.size(); ++index) {
            const std::vector<uint16_t>& keys = keysOfKeycode_[index];
            if (std::find(keys.begin(), keys.end(), parts.key) == keys.end()) continue;
            const auto keycode = static_cast<uint8_t>(minKeycode_ + index);
            for (const uint16_t locks : {uint16_t{0}, uint16_t{XCB_MOD_MASK_LOCK}, numLockMask_,
                                         static_cast<uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)}) {
                const uint16_t grabbed = modifiers | locks;
                const bool held = std::any_of(grabs_.begin(), grabs_.end(), [&](const Grab& grab) {
                    return grab.keycode == keycode && grab.modifiers == grabbed;
                });
                if (!held && GrabKey(connection, root, keycode, grabbed))
                    grabs_.push_back({keycode, grabbed});
            }
        }
    }
    xcb_flush(connection);
#endif
}

void GlobalHotKeys::Unregister() {
    registered_ = false;
    codes_.fill(0);
#ifdef QUILLORY_HAVE_XCB
    if (xcb_connection_t* connection = X11Connection(); connection && !grabs_.empty()) {
        const xcb_window_t root = RootWindow(connection);
        for (const Grab& grab : grabs_) xcb_ungrab_key(connection, grab.keycode, root, grab.modifiers);
        xcb_flush(connection);
    }
#endif
    grabs_.clear();
}

bool GlobalHotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
#ifdef QUILLORY_HAVE_XCB
    if (!registered_ || grabs_.empty() || eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS) return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    const auto held = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& grab) {
        return grab.keycode == press->detail && grab.modifiers == (press->state & 0xff);
    });
    if (held == grabs_.end()) return false;
    unsigned mask = 0;
    if (press->state & XCB_MOD_MASK_SHIFT) mask += kMaskShift;
    if (press->state & XCB_MOD_MASK_CONTROL) mask += kMaskCtrl;
    if (press->state & XCB_MOD_MASK_1) mask += kMaskAlt;
    const size_t index = static_cast<size_t>(press->detail - minKeycode_);
    if (index >= keysOfKeycode_.size()) return false;
    // The slot is decided from the stored codes, not from which grab caught the key.
    const int slot = HotKeySlotFor(codes_, mask, keysOfKeycode_[index]);
    if (slot != 0) Q_EMIT hotKeyPressed(slot);
#else
    (void)eventType;
    (void)message;
#endif
    return false;
}

GlobalHotKeys* AttachHotKeys(TQuilloryForm1& form, std::function<void()> powerSearch) {
    auto* hotKeys = new GlobalHotKeys(&form);
    QObject::connect(hotKeys, &GlobalHotKeys::hotKeyPressed, &form,
                     [&form, powerSearch = std::move(powerSearch)](int slot) {
                         if (slot == 1) {
                             form.OpenMainWindow();
                             form.activateWindow();
                         } else if (slot == 2 && powerSearch) {
                             powerSearch();
                         }
                     });
    return hotKeys;
}

void RegisterHotKeys(TQuilloryForm1& form) {
    if (auto* hotKeys = form.findChild<GlobalHotKeys*>(QString(), Qt::FindDirectChildrenOnly)) {
        hotKeys->Register(form.Context().settings.HotKeys);
    }
}

void UnregisterHotKeys(TQuilloryForm1& form) {
    if (auto* hotKeys = form.findChild<GlobalHotKeys*>(QString(), Qt::FindDirectChildrenOnly)) {
        hotKeys->Unregister();
    }
}

}  // namespace quillory::app
