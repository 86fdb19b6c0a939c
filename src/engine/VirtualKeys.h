#pragma once
// The key numbers the saver's input rules are written in, taken from Qt's key
// events. Qt's own key codes are not these numbers: the apostrophe is 0x27 and
// Num Lock ends in 0x25, which are Right and Left here, so every key goes
// through an explicit table and a key the table does not know gets 0.

#include <QtCore/qnamespace.h>

namespace tav {

// The number of a pressed key; keypad keys are told apart by the keypad
// modifier. Printable keys are numbered as on a US keyboard, shifted
// characters as the key that types them. 0 for a key without a number.
int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace tav
