// The colour dialog: the five colours of the active profile, edited in steps of 8 with a sample
// page painted in them.
#pragma once
#include "dialogs/dialog_frame.h"

namespace lectra {

void ShowColourDialog(const ReaderServices& reader);

// Paints the sample page into `surface` (width × height from its top left) with `colours` in
// profile order, the layout's text, status and clock fonts, its line pitch and status snapshot.
void PaintColourPreview(const Layout& layout, PlatformSurface* surface, int width, int height,
                        const ColourRef (&colours)[kColourCount]);

}  // namespace lectra
