// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How assistive technology sees the program's drop-down lists.

namespace quibran {

// Names every drop-down list by its accessible name or, without one, by the
// caption of its label, as the other controls are named. Qt names a list by
// its current text on Unix and leaves the caption to the label relation, so
// that a screen reader reading the name announces "1024" for the quantity.
// The lists behave as Qt's own otherwise: their children are the popup list
// and, for an editable list, its text box; the show-menu action opens them.
// Takes effect for lists that assistive technology has not met yet.
void NameListsByCaption();

}  // namespace quibran
