#pragma once
// Builds the main window: banner, page area with its notebook and both pages, bottom bar.
// Positions and sizes are pixels in the parent's client area.

class TForm1;

void createFrameControls(TForm1& form);
