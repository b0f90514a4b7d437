#pragma once
// Builds the output page (notebook page "2"): the file name, the output folder buttons, the
// open-folder option, the preview list and its button, generate, the forum button and the
// status bar that shows the output folder.

class TForm1;

void createOutputPage(TForm1& form);
