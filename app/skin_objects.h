// The control-binding objects of the main window and the tool's decoded pictures.
#pragma once

#include "skin/image_button.h"
#include "skin/composition.h"
#include "skin/picture_box.h"
#include "skin/skin_image.h"

namespace quorlin::app {

struct SkinObjects {
  skin::ImageButton radio;  // shared by the five level radios: acts on the one attached last
  skin::LayeredForm form;   // MainWindow as a layered form
  skin::ImageButton apply;
  skin::ImageButton logOff;  // bound only once Apply has run
  skin::PictureBox statusBox;
  skin::ImageButton close;
};

// Created by PrepareSkin; released by the exit routine at process end.
SkinObjects& skinObjects();

// Gives the main window a new background and redraws the overlay's labels over it.
void ShowBackground(skin::ImageResource resource);

// The picture of an embedded block, decoded the first time it is asked for and then reused, so that
// nothing the user does makes the process decode and keep pictures without end.
skin::SkinImage Picture(skin::ImageResource resource);

}  // namespace quorlin::app
