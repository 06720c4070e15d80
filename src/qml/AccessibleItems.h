// Qt Quick items as assistive technology must see them: a disabled item says so, and an item
// that declares `signal showMenuAction()` offers the ShowMenu action that opens its menu.
#pragma once

namespace accessibility {

// Puts our interface for Qt Quick items before Qt's own; harmless to call more than once.
void installItemInterface();

} // namespace accessibility
