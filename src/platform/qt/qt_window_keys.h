// Desktop keys as the handheld's: virtual keys, the hardware buttons, and the few keys that are
// menu commands.
#pragma once
#include <Qt>

namespace lectra {

enum class KeyKind {
    kNone,       // nothing of the reader's
    kKey,        // a key-down message with a virtual key
    kCommand,    // a command message (an accelerator)
    kButton,     // a button the menu bar forwards: a hot key acting on release
    kAppButton,  // an application button: a hot key while registered
};

struct KeyTranslation {
    KeyKind kind = KeyKind::kNone;
    int code = 0;  // the virtual key, or the command id
};

KeyTranslation TranslateKey(int key, Qt::KeyboardModifiers modifiers);

}  // namespace lectra
