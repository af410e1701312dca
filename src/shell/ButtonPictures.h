#pragma once
// The pictures of the toolbar buttons, the window icon and the splash, drawn by the program.

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace tilora {

enum class ButtonPicture {
    None,
    New,
    Save,
    Open,
    SaveAs,
    ChipWindow,
    MapWindow,
    ZoomIn,
    ZoomOut,
    Pen1,
    Pen2,
    Pen4,
    Pen8,
    Stamp
};

// A 16 x 16 picture with its normal and disabled look.
QIcon buttonIcon(ButtonPicture picture);
// The etched grey look of a disabled button, made from the normal one.
QImage disabledLook(const QImage& normal);
// The window icon, drawn as SVG: sharp at every size the window system asks for.
QIcon applicationIcon();
// The 320 x 128 splash picture, 24 bits per pixel.
QImage splashImage();
QPixmap splashPicture();

} // namespace tilora
