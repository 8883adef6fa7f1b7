#pragma once
// The program's own pictures, drawn in code: an address book with its alphabet tabs.

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace artwork {

// The main window's background: the address book on the left, light paper behind the
// captions on the right.
QPixmap mainPicture(QSize size);
// The logo of the splash and About windows: the address book, an "@" and a handset.
QPixmap logo(QSize size);
// The window icon, in the usual sizes.
QIcon appIcon();
// Button glyphs: leaving (an open door with an arrow) and sending (an envelope).
QIcon exitGlyph();
QIcon mailGlyph();

} // namespace artwork
