#pragma once
// Builds the main window's frame: banner, page area with its notebook, bottom bar.
// Positions and sizes are pixels in the parent's client area.

class TForm1;

void createFrameControls(TForm1& form);
