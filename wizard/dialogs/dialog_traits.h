#pragma once

#include "toolkit/form.h"
#include "toolkit/std_controls.h"

// What the wizard's dialogs share: a borderless window of a fixed outline with rounded
// corners, the main window's caption, and image buttons (a Normal and an Over picture at one
// place under a centred label) with one hover rule.

// Sizes the dialog to its outline, gives it the rounded region and copies the main window's
// caption.
void ShapeDialog(TForm& dialog, int width, int height, int ellipse);

// The framework's ReleaseCapture and the system command to move the window by its caption.
void MoveByCaption(TForm& window);

struct TImageButton {
  TImage* normal;
  TImage* over;
  TLabel* label;
  // The mouse enters the Normal picture or the label: the hover look.
  void Enter() const;
  // The mouse leaves the Over picture (or the label): the normal look.
  void Leave() const;
};
