#include "platform/desktop/pl_hot_key_dispatcher.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QGuiApplication>
#include <array>
#include <cstdlib>

namespace {

constexpr std::uint16_t kShiftMask = XCB_MOD_MASK_SHIFT;
constexpr std::uint16_t kControlMask = XCB_MOD_MASK_CONTROL;
constexpr std::uint16_t kAltMask = XCB_MOD_MASK_1;
// Caps Lock and Num Lock change the state of every press; each grab is taken
// with every combination of them.
constexpr std::array<std::uint16_t, 4> kLockStates{0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                                   XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

std::uint16_t X11Modifiers(std::uint32_t modifiers)
{
    std::uint16_t mask = 0;
    if ((modifiers & pl::kModShift) != 0)
        mask |= kShiftMask;
    if ((modifiers & pl::kModControl) != 0)
        mask |= kControlMask;
    if ((modifiers & pl::kModAlt) != 0)
        mask |= kAltMask;
    return mask;
}

}  // namespace

PlHotKeyDispatcher::PlHotKeyDispatcher()
{
    auto* x11 = qGuiApp == nullptr ? nullptr : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr)
        return;
    connection_ = x11->connection();
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    root_ = xcb_setup_roots_iterator(setup).data->root;
    symbols_ = xcb_key_symbols_alloc(connection_);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

PlHotKeyDispatcher::~PlHotKeyDispatcher()
{
    Deactivate();
    entries_.clear();
    if (connection_ == nullptr)
        return;
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeNativeEventFilter(this);
    xcb_key_symbols_free(symbols_);
}

void PlHotKeyDispatcher::Set(int id, std::uint32_t value, Action action)
{
    Remove(id);
    const auto key = pl::PlHotKeyFromValue(value);
    if (!key)
        return;
    Entry entry{*key, std::move(action), std::nullopt};
    if (symbols_ != nullptr) {
        const std::uint32_t keySym = pl::PlKeySymOfVirtualKey(key->virtualKey, key->extended);
        if (xcb_keycode_t* codes = keySym == 0 ? nullptr : xcb_key_symbols_get_keycode(symbols_, keySym)) {
            if (codes[0] != XCB_NO_SYMBOL)
                entry.keyCode = codes[0];
            std::free(codes);
        }
    }
    Entry& stored = entries_[id] = std::move(entry);
    if (active_)
        Grab(stored, true);
}

void PlHotKeyDispatcher::Remove(int id)
{
    const auto it = entries_.find(id);
    if (it == entries_.end())
        return;
    if (active_)
        Grab(it->second, false);
    entries_.erase(it);
}

void PlHotKeyDispatcher::Activate()
{
    if (active_)
        return;
    for (auto& [id, entry] : entries_)
        Grab(entry, true);
    active_ = true;
}

void PlHotKeyDispatcher::Deactivate()
{
    if (!active_)
        return;
    for (auto& [id, entry] : entries_)
        Grab(entry, false);
    active_ = false;
}

void PlHotKeyDispatcher::Grab(Entry& entry, bool grab)
{
    if (connection_ == nullptr || !entry.keyCode)
        return;
    const std::uint16_t modifiers = X11Modifiers(entry.key.modifiers);
    for (const std::uint16_t lock : kLockStates) {
        // Unchecked: a combination another program holds is simply not ours.
        if (grab)
            xcb_grab_key(connection_, 1, root_, modifiers | lock, *entry.keyCode, XCB_GRAB_MODE_ASYNC,
                         XCB_GRAB_MODE_ASYNC);
        else
            xcb_ungrab_key(connection_, *entry.keyCode, root_, modifiers | lock);
    }
    xcb_flush(connection_);
}

bool PlHotKeyDispatcher::Press(std::uint8_t keyCode, std::uint16_t state)
{
    const std::uint16_t pressed = state & (kShiftMask | kControlMask | kAltMask);
    for (auto& [id, entry] : entries_) {
        if (entry.keyCode == keyCode && X11Modifiers(entry.key.modifiers) == pressed && entry.action) {
            entry.action();
            return true;
        }
    }
    return false;
}

bool PlHotKeyDispatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!active_ || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    if (press->event != root_)
        return false;
    return Press(press->detail, press->state);
}
